// The editor's drawing surface over a GDI device context: pen, mix, fill, font, figures, text.
#pragma once

#include <windows.h>

#include "common/win32/Handles.h"
#include "editor/Surface.h"

namespace mrv::win {

class GdiSurface final : public editor::Surface {
  public:
    // The DC must outlive this object; its own objects are put back when it goes.
    explicit GdiSurface(HDC dc);
    ~GdiSurface() override;
    GdiSurface(const GdiSurface&) = delete;
    GdiSurface& operator=(const GdiSurface&) = delete;

    void SetPenColor(editor::Color color) override;
    void SetPenWidth(int32_t width) override;
    void SetMix(editor::PenMix mix) override;
    void SetFill(editor::Fill fill, editor::Color color) override;
    void SetFont(const editor::TextFont& font) override;
    void MoveTo(editor::Point to) override;
    void LineTo(editor::Point to) override;
    void Rectangle(const editor::Rect& rect) override;
    void Ellipse(const editor::Rect& rect) override;
    void RoundRect(const editor::Rect& rect, int32_t cornerWidth, int32_t cornerHeight) override;
    void DrawTextAt(editor::Point at, const std::string& text) override;
    editor::Size TextExtent(const std::string& text) override;

  private:
    void SelectPen();

    HDC dc_;
    HGDIOBJ oldPen_;
    HGDIOBJ oldBrush_;
    HGDIOBJ oldFont_;
    COLORREF penColor_ = RGB(0, 0, 0);
    int32_t penWidth_ = 1;
    UniquePen pen_;
    UniqueBrush brush_;
    UniqueFont font_;
};

// A text box's font at the resolution of `dc` (regular, the system's default character set).
HFONT CreateTextFont(HDC dc, const editor::TextFont& font);

}  // namespace mrv::win
