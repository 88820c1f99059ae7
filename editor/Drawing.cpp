// Shape outlines, selection handles and the layout of committed text.
#include "editor/Drawing.h"

#include <cstdlib>

namespace mrv::editor {

void DrawShape(Surface& surface, EditTool tool, const Rect& rect) {
    switch (tool) {
        case EditTool::Rectangle:
            surface.Rectangle(rect);
            break;
        case EditTool::Ellipse:
            surface.Ellipse(rect);
            break;
        case EditTool::RoundRect:
            // The corners take half of each side; the division truncates toward zero.
            surface.RoundRect(rect, std::abs(rect.right - rect.left) / 2,
                              std::abs(rect.bottom - rect.top) / 2);
            break;
        default:
            break;
    }
}

void DrawArrowStrokes(Surface& surface, Point start, Point tip, const ArrowHead& barbs) {
    surface.MoveTo(start);
    surface.LineTo(tip);
    surface.MoveTo(tip);
    surface.LineTo(barbs.barb1);
    surface.MoveTo(tip);
    surface.LineTo(barbs.barb2);
}

void DrawHandles(Surface& surface, const Rect& rect) {
    // The pen width is left as the outline drawing set it.
    surface.SetPenColor(kBlack);
    surface.SetMix(PenMix::NotXor);
    surface.SetFill(Fill::Solid, kBlack);
    for (const Point& p : HandlePoints(rect))
        surface.Rectangle({p.x - 2, p.y - 2, p.x + 3, p.y + 3});
}

void DrawTextLines(Surface& surface, const TextFont& font, Point firstLine,
                   std::span<const std::string> lines) {
    if (lines.empty()) return;
    surface.SetFill(Fill::Hollow, kBlack);
    surface.SetFont(font);
    const int32_t lineHeight = surface.TextExtent(lines.front()).height;
    for (size_t i = 0; i < lines.size(); ++i) {
        surface.DrawTextAt({firstLine.x, firstLine.y + static_cast<int32_t>(i) * lineHeight},
                           lines[i]);
    }
}

}  // namespace mrv::editor
