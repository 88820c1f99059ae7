// RegisterHotKey and the global atom table for the main window.
#pragma once

#include <windows.h>

#include "desktop/HotKeys.h"

namespace mrv::win {

class Win32HotKeys final : public desktop::HotKeySystem {
  public:
    explicit Win32HotKeys(HWND window) : window_(window) {}
    uint16_t AddAtom(const std::string& name) override;
    void DeleteAtom(uint16_t atom) override;
    bool Register(int32_t id, uint32_t modifiers, uint32_t key) override;
    void Unregister(int32_t id) override;
    std::string KeyName(uint16_t key) override;

  private:
    HWND window_;
};

}  // namespace mrv::win
