// The primary screen through GDI: BitBlt into a memory bitmap, GetDIBits at the recording's depth.
#pragma once

#include <windows.h>

#include <optional>

#include "common/win32/Handles.h"
#include "recorder/Platform.h"
#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

class GdiScreenSource final : public ScreenSource {
  public:
    GdiScreenSource() = default;
    ~GdiScreenSource() override;
    GdiScreenSource(const GdiScreenSource&) = delete;
    GdiScreenSource& operator=(const GdiScreenSource&) = delete;

    ScreenSize Size() override;
    void BeginTick() override;
    void EndTick() override;
    bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                  std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) override;

  private:
    // The objects one tick's sampled-line grabs share. The line bitmap is made at the first
    // line grab, as wide as the lines grabbed (the screen's, or an area's).
    struct TickObjects {
        TickObjects();
        bool LineFor(int32_t width);
        ScopedPerMonitorDpi dpi;
        WindowDC screen{nullptr};
        UniqueMemoryDC memory;
        UniqueBitmap line;
        std::optional<ScopedSelect> selected;
        int32_t lineWidth = 0;
    };

    std::optional<TickObjects> tick_;
};

// One grab the way the recording algorithm describes it: fresh memory DC and bitmap each time.
bool GrabRectFresh(HDC source, int32_t x, int32_t y, int32_t width, int32_t height,
                   std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp);

}  // namespace mrv::win
