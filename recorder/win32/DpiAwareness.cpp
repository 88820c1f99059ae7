// The thread's DPI awareness switched through a function looked up in user32 at run time.
#include "recorder/win32/DpiAwareness.h"

namespace mrv::win {

namespace {

using SetContextFn = void*(WINAPI*)(void*);
// The DPI_AWARENESS_CONTEXT values are fixed pseudo handles; older headers lack them.
void* const kPerMonitorAwareV2 = reinterpret_cast<void*>(static_cast<intptr_t>(-4));
void* const kPerMonitorAware = reinterpret_cast<void*>(static_cast<intptr_t>(-3));

SetContextFn SetContext() {
    static const SetContextFn fn = [] {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<SetContextFn>(reinterpret_cast<void (*)()>(
                            ::GetProcAddress(user32, "SetThreadDpiAwarenessContext")))
                      : nullptr;
    }();
    return fn;
}

}  // namespace

ScopedPerMonitorDpi::ScopedPerMonitorDpi() {
    const SetContextFn set = SetContext();
    if (!set) return;
    // Version 2 came with Windows 10 1703; 1607 knows only the first.
    previous_ = set(kPerMonitorAwareV2);
    if (!previous_) previous_ = set(kPerMonitorAware);
}

ScopedPerMonitorDpi::~ScopedPerMonitorDpi() {
    if (previous_) SetContext()(previous_);
}

}  // namespace mrv::win
