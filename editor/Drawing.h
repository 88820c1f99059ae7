// The editor's figures: shape outlines, selection handles and committed text.
#pragma once

#include <span>
#include <string>

#include "editor/Geometry.h"
#include "editor/Surface.h"

namespace mrv::editor {

// With the pen and fill the caller has set; other tools draw nothing.
void DrawShape(Surface& surface, EditTool tool, const Rect& rect);

// The arrow's three strokes, each started afresh so that drawing the same arrow again in the
// not-xor mix erases it exactly; with the pen the caller has set.
void DrawArrowStrokes(Surface& surface, Point start, Point tip, const ArrowHead& barbs);

// Eight 5 x 5 inverted squares (black, not-xor, solid); drawing them again removes them.
void DrawHandles(Surface& surface, const Rect& rect);

// Draws the `lines` of a text box transparently in `font`, the first with its top-left corner
// at `firstLine` and each next one a line height (the first line's) lower.
void DrawTextLines(Surface& surface, const TextFont& font, Point firstLine,
                   std::span<const std::string> lines);

}  // namespace mrv::editor
