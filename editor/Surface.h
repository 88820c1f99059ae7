// The drawing surface that the editor draws on: its window (previews) and its picture.
#pragma once

#include <string>

#include "editor/Geometry.h"

namespace mrv::editor {

// Copy: drawn pixels take the colour. NotXor: each drawn pixel becomes NOT(colour XOR pixel),
// so drawing the same figure twice restores every pixel (R2_NOTXOR).
enum class PenMix { Copy, NotXor };

// Hollow: figures are not filled and text is drawn on a transparent background.
// Solid: figures are filled with the fill colour.
enum class Fill { Hollow, Solid };

// A text box's font: regular weight, the system's default character set.
struct TextFont {
    std::string face;
    int32_t sizePt = 0;  // points, converted at the surface's resolution
    Color color;
    friend bool operator==(const TextFont&, const TextFont&) = default;
};

// A GDI device context seen through the operations the editor needs. Every call uses the
// state set last; the state persists between calls (as a device context keeps its objects).
class Surface {
  public:
    virtual ~Surface() = default;
    virtual void SetPenColor(Color color) = 0;
    virtual void SetPenWidth(int32_t width) = 0;
    virtual void SetMix(PenMix mix) = 0;               // applies to the pen and to the fill
    virtual void SetFill(Fill fill, Color color) = 0;  // the colour matters only when solid
    virtual void SetFont(const TextFont& font) = 0;

    // The current position; LineTo draws to `to` (not including it, as GDI does) and moves it.
    virtual void MoveTo(Point to) = 0;
    virtual void LineTo(Point to) = 0;
    // Outline with the pen, interior with the fill; the rectangle is given as the caller has it.
    virtual void Rectangle(const Rect& rect) = 0;
    virtual void Ellipse(const Rect& rect) = 0;
    virtual void RoundRect(const Rect& rect, int32_t cornerWidth, int32_t cornerHeight) = 0;
    // Text is UTF-8; drawn with the font's colour, its top-left corner at `at`.
    virtual void DrawTextAt(Point at, const std::string& text) = 0;
    // Width and height of `text` in the current font; the height is the font's line height,
    // also for an empty text.
    virtual Size TextExtent(const std::string& text) = 0;
};

}  // namespace mrv::editor
