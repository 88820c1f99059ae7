// Per-monitor DPI awareness for the calls of one scope, where the system offers it.
#pragma once

#include <windows.h>

namespace mrv::win {

// While it lives, the thread reads screen metrics, pixels and the cursor at the monitors' real
// pixels (per-monitor aware, version 2 where there is one). SetThreadDpiAwarenessContext is
// looked up at run time: before Windows 10 1607 the scope does nothing and the process's own
// awareness holds.
class ScopedPerMonitorDpi {
  public:
    ScopedPerMonitorDpi();
    ~ScopedPerMonitorDpi();
    ScopedPerMonitorDpi(const ScopedPerMonitorDpi&) = delete;
    ScopedPerMonitorDpi& operator=(const ScopedPerMonitorDpi&) = delete;

  private:
    void* previous_ = nullptr;
};

}  // namespace mrv::win
