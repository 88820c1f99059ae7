// GDI drawing for the editor: one pen, brush and font of our own selected at a time.
#include "editor/win32/GdiSurface.h"

#include "common/win32/WinText.h"

namespace mrv::win {

GdiSurface::GdiSurface(HDC dc)
    : dc_(dc),
      oldPen_(::SelectObject(dc, ::GetStockObject(BLACK_PEN))),
      oldBrush_(::SelectObject(dc, ::GetStockObject(NULL_BRUSH))),
      oldFont_(::GetCurrentObject(dc, OBJ_FONT)) {
    SelectPen();
    ::SetBkMode(dc_, TRANSPARENT);
}

GdiSurface::~GdiSurface() {
    // Our objects are deselected before their owners delete them.
    ::SelectObject(dc_, oldPen_);
    ::SelectObject(dc_, oldBrush_);
    ::SelectObject(dc_, oldFont_);
}

HFONT CreateTextFont(HDC dc, const editor::TextFont& font) {
    LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(font.sizePt, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    const std::wstring face = Widen(font.face);
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return ::CreateFontIndirectW(&lf);
}

void GdiSurface::SelectPen() {
    UniquePen pen(::CreatePen(PS_SOLID, penWidth_, penColor_));
    if (!pen) return;
    ::SelectObject(dc_, pen.get());
    pen_ = std::move(pen);
}

void GdiSurface::SetPenColor(editor::Color color) {
    if (penColor_ == color.ref && pen_) return;
    penColor_ = color.ref;
    SelectPen();
}

void GdiSurface::SetPenWidth(int32_t width) {
    if (penWidth_ == width && pen_) return;
    penWidth_ = width;
    SelectPen();
}

void GdiSurface::SetMix(editor::PenMix mix) {
    ::SetROP2(dc_, mix == editor::PenMix::NotXor ? R2_NOTXORPEN : R2_COPYPEN);
}

void GdiSurface::SetFill(editor::Fill fill, editor::Color color) {
    if (fill == editor::Fill::Hollow) {
        ::SelectObject(dc_, ::GetStockObject(NULL_BRUSH));
        brush_.reset();
        ::SetBkMode(dc_, TRANSPARENT);
        return;
    }
    UniqueBrush brush(::CreateSolidBrush(color.ref));
    if (!brush) return;
    ::SelectObject(dc_, brush.get());
    brush_ = std::move(brush);
}

void GdiSurface::SetFont(const editor::TextFont& font) {
    UniqueFont made(CreateTextFont(dc_, font));
    if (made) {
        ::SelectObject(dc_, made.get());
        font_ = std::move(made);
    }
    ::SetTextColor(dc_, font.color.ref);
}

void GdiSurface::MoveTo(editor::Point to) { ::MoveToEx(dc_, to.x, to.y, nullptr); }

void GdiSurface::LineTo(editor::Point to) { ::LineTo(dc_, to.x, to.y); }

void GdiSurface::Rectangle(const editor::Rect& r) {
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void GdiSurface::Ellipse(const editor::Rect& r) {
    ::Ellipse(dc_, r.left, r.top, r.right, r.bottom);
}

void GdiSurface::RoundRect(const editor::Rect& r, int32_t cornerWidth, int32_t cornerHeight) {
    ::RoundRect(dc_, r.left, r.top, r.right, r.bottom, cornerWidth, cornerHeight);
}

void GdiSurface::DrawTextAt(editor::Point at, const std::string& text) {
    const std::wstring wide = Widen(text);
    ::TextOutW(dc_, at.x, at.y, wide.c_str(), static_cast<int>(wide.size()));
}

editor::Size GdiSurface::TextExtent(const std::string& text) {
    const std::wstring wide = Widen(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    if (wide.empty()) {
        // The line height also for an empty line.
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc_, &metrics);
        size.cy = metrics.tmHeight;
    }
    return {size.cx, size.cy};
}

}  // namespace mrv::win
