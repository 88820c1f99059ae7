// The editor's working picture: the screen copied into a bitmap, with its four undo slots, and
// the picture as the recorder reads it.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "common/win32/Handles.h"
#include "editor/EditorView.h"
#include "editor/FrmEdit.h"
#include "editor/win32/GdiSurface.h"
#include "recorder/Platform.h"

namespace mrv::win {

// A bitmap of the rectangle's size in the screen's own format holding that part of the screen.
UniqueBitmap CaptureScreenRect(const RECT& rect);

class GdiPicture final : public editor::Picture, public ScreenSource {
  public:
    GdiPicture() = default;
    ~GdiPicture() override;
    GdiPicture(const GdiPicture&) = delete;
    GdiPicture& operator=(const GdiPicture&) = delete;

    // Copies `cover` of the virtual screen (none: the primary screen) and makes the undo slots;
    // false with `error` when memory runs out.
    bool Create(std::string& error, const std::optional<RECT>& cover = std::nullopt);
    // The picture's corner on the virtual screen.
    Point origin() const { return origin_; }
    HDC dc() const { return dc_.get(); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    // editor::Picture
    editor::Surface& Canvas() override { return *canvas_; }
    bool SaveToSlot(int32_t slot) override;
    void ExchangeWithSlot(int32_t slot) override;

    // ScreenSource: the recorder grabs the picture from its device context.
    ScreenSize Size() override { return {width_, height_}; }
    void BeginTick() override {}
    void EndTick() override {}
    bool GrabRect(int32_t x, int32_t y, int32_t width, int32_t height,
                  std::span<uint8_t> bitmapInfo, uint8_t* bits, uint32_t rasterOp) override;

  private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    Point origin_;
    UniqueMemoryDC dc_;
    UniqueBitmap picture_;
    std::array<UniqueBitmap, editor::kUndoSlots> slots_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::optional<GdiSurface> canvas_;
};

}  // namespace mrv::win
