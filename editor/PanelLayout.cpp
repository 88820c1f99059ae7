// Looks up the tool of a tool button's Tag and the colour of a swatch.
#include "editor/PanelLayout.h"

namespace mrv::editor {

std::optional<EditTool> ToolForTag(int32_t tag) {
    for (const ToolButtonInfo& button : kToolButtons) {
        if (button.tag == tag) return button.tool;
    }
    return std::nullopt;
}

std::optional<Color> SwatchColor(int32_t shapeNumber) {
    for (const SwatchInfo& swatch : kSwatches) {
        if (swatch.number == shapeNumber) return swatch.color;
    }
    return std::nullopt;
}

}  // namespace mrv::editor
