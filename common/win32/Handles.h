// RAII owners for Win32 handles, one type per release function.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace mrv::win {

// Owns a handle released by one function; non-copyable, movable. `InvalidValue` is the
// integer value of the "no handle" marker (a pointer is not a valid template argument).
template <typename H, auto Release, intptr_t InvalidValue = 0>
class UniqueHandle {
    static H InvalidHandle() { return reinterpret_cast<H>(InvalidValue); }

  public:
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, InvalidHandle())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, InvalidHandle());
        }
        return *this;
    }
    void reset(H h = InvalidHandle()) {
        if (h_ != InvalidHandle()) Release(h_);
        h_ = h;
    }
    H release() { return std::exchange(h_, InvalidHandle()); }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != InvalidHandle(); }

  private:
    H h_ = InvalidHandle();
};

inline void CloseFileHandle(HANDLE h) { ::CloseHandle(h); }
inline void DeleteMemoryDC(HDC dc) { ::DeleteDC(dc); }
inline void DeleteGdiObject(HGDIOBJ o) { ::DeleteObject(o); }
inline void Unhook(HHOOK h) { ::UnhookWindowsHookEx(h); }
inline void DestroyWindowHandle(HWND w) { ::DestroyWindow(w); }
inline void DestroyIconHandle(HICON i) { ::DestroyIcon(i); }
inline void DestroyMenuHandle(HMENU m) { ::DestroyMenu(m); }

// CreateFile returns INVALID_HANDLE_VALUE, not null, on failure.
using UniqueFile = UniqueHandle<HANDLE, CloseFileHandle, -1>;
using UniqueHandleOrNull = UniqueHandle<HANDLE, CloseFileHandle>;
using UniqueMemoryDC = UniqueHandle<HDC, DeleteMemoryDC>;  // CreateCompatibleDC
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniquePen = UniqueHandle<HPEN, DeleteGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using UniqueHook = UniqueHandle<HHOOK, Unhook>;
using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;

// A RegOpenKeyEx or RegCreateKeyEx result.
inline void CloseRegistryKey(HKEY k) { ::RegCloseKey(k); }
using UniqueRegistryKey = UniqueHandle<HKEY, CloseRegistryKey>;

// A GetDC result, released with ReleaseDC on the same window.
class WindowDC {
  public:
    explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_) ::ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC and puts the former one back.
class ScopedSelect {
  public:
    ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~ScopedSelect() {
        if (old_) ::SelectObject(dc_, old_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace mrv::win
