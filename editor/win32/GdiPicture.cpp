// The picture and its undo slots as screen-compatible bitmaps behind one memory DC.
#include "editor/win32/GdiPicture.h"

#include "common/Texts.h"
#include "recorder/win32/GdiScreenSource.h"

namespace mrv::win {

UniqueBitmap CaptureScreenRect(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    WindowDC screen(nullptr);
    if (!screen) return {};
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) return {};
    UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    if (memory) {
        ScopedSelect select(memory.get(), bitmap.get());
        // A plain copy: layered windows are not wanted in the picture.
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    return bitmap;
}

GdiPicture::~GdiPicture() {
    canvas_.reset();
    if (dc_ && oldBitmap_) ::SelectObject(dc_.get(), oldBitmap_);
}

bool GdiPicture::Create(std::string& error, const std::optional<RECT>& cover) {
    const RECT rect = cover.value_or(
        RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
    origin_ = {rect.left, rect.top};
    width_ = rect.right - rect.left;
    height_ = rect.bottom - rect.top;
    WindowDC screen(nullptr);
    // The undo slots first, so that the screen copy is the last thing taken.
    for (UniqueBitmap& slot : slots_) {
        slot.reset(::CreateCompatibleBitmap(screen.get(), width_, height_));
        if (!slot) {
            error = text::kEditorOutOfMemory;
            return false;
        }
    }
    picture_ = CaptureScreenRect(rect);
    dc_.reset(::CreateCompatibleDC(screen.get()));
    if (!picture_ || !dc_) {
        error = text::kEditorOutOfMemory;
        return false;
    }
    oldBitmap_ = ::SelectObject(dc_.get(), picture_.get());
    canvas_.emplace(dc_.get());
    return true;
}

bool GdiPicture::SaveToSlot(int32_t slot) {
    if (slot < 0 || slot >= editor::kUndoSlots || !slots_[slot]) return false;
    UniqueMemoryDC memory(::CreateCompatibleDC(dc_.get()));
    if (!memory) return false;
    ScopedSelect select(memory.get(), slots_[slot].get());
    if (!select.ok()) return false;
    return ::BitBlt(memory.get(), 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY) != FALSE;
}

void GdiPicture::ExchangeWithSlot(int32_t slot) {
    if (slot < 0 || slot >= editor::kUndoSlots) return;
    // The DC keeps its pen, font and position; only the bitmap under it changes.
    ::SelectObject(dc_.get(), slots_[slot].get());
    std::swap(picture_, slots_[slot]);
}

bool GdiPicture::GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                          std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) {
    return GrabRectFresh(dc_.get(), x, y, width, height, bitmapInfo, bits, rasterOp);
}

}  // namespace mrv::win
