// GDI screen grabs; a tick's many one-line grabs reuse one memory DC and one line bitmap.
#include "recorder/win32/GdiScreenSource.h"

#include "recorder/StreamFormat.h"

namespace mrv::win {

namespace {

BITMAPINFO* AsBitmapInfo(std::span<uint8_t> bitmapInfo) {
    return reinterpret_cast<BITMAPINFO*>(bitmapInfo.data());
}

// Converts the bitmap selected in `memory` to a top-down DIB at the depth the header names.
bool ReadBits(HDC memory, HBITMAP bitmap, int32_t width, int32_t height,
              std::span<uint8_t> bitmapInfo, uint8_t* bits) {
    SetBitmapInfoSize(bitmapInfo, width, height);
    const int lines = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), bits,
                                  AsBitmapInfo(bitmapInfo), DIB_RGB_COLORS);
    // With pixels it returns the lines copied; with none, non-zero for success.
    return bits == nullptr ? lines != 0 : lines == height;
}

}  // namespace

bool GrabRectFresh(HDC source, int32_t x, int32_t y, int32_t width, int32_t height,
                   std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) {
    UniqueMemoryDC memory(::CreateCompatibleDC(source));
    if (!memory) return false;
    UniqueBitmap bitmap(::CreateCompatibleBitmap(source, width, height));
    if (!bitmap) return false;
    ScopedSelect select(memory.get(), bitmap.get());
    if (!::BitBlt(memory.get(), 0, 0, width, height, source, x, y, rasterOp)) return false;
    // With null bits GetDIBits only fills in the header and the colour table (checked under
    // Wine for 4 and 8 bits by the adapter tests).
    return ReadBits(memory.get(), bitmap.get(), width, height, bitmapInfo, bits);
}

GdiScreenSource::TickObjects::TickObjects() : memory(::CreateCompatibleDC(screen.get())) {}

bool GdiScreenSource::TickObjects::LineFor(int32_t width) {
    if (lineWidth == width) return selected.has_value();
    selected.reset();
    line.reset();
    lineWidth = width;
    if (!screen || !memory) return false;
    line.reset(::CreateCompatibleBitmap(screen.get(), width, 1));
    if (line) selected.emplace(memory.get(), line.get());
    return selected.has_value();
}

GdiScreenSource::~GdiScreenSource() = default;

ScreenSize GdiScreenSource::Size() {
    ScopedPerMonitorDpi dpi;
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

void GdiScreenSource::BeginTick() { tick_.emplace(); }

void GdiScreenSource::EndTick() {
    // Members go in reverse order: the line bitmap is deselected before it and the DC are
    // deleted, and the screen DC is released last.
    tick_.reset();
}

bool GdiScreenSource::GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                               std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) {
    if (width <= 0 || height <= 0) return false;
    if (!tick_) {
        ScopedPerMonitorDpi dpi;
        WindowDC screen(nullptr);
        return screen &&
               GrabRectFresh(screen.get(), x, y, width, height, bitmapInfo, bits, rasterOp);
    }
    if (height == 1 && bits != nullptr && tick_->LineFor(width)) {
        HDC memory = tick_->memory.get();
        return ::BitBlt(memory, 0, 0, width, 1, tick_->screen.get(), x, y, rasterOp) &&
               ReadBits(memory, tick_->line.get(), width, 1, bitmapInfo, bits);
    }
    return tick_->screen &&
           GrabRectFresh(tick_->screen.get(), x, y, width, height, bitmapInfo, bits, rasterOp);
}

}  // namespace mrv::win
