// Switches of the end-to-end tests' build of the player (HeadFileTest.hdf); the shipped stub
// never sets them.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

namespace mrv::player::win {

struct TestHooks {
    FILE* log = nullptr;  // what is on screen, the sound queued, messages
    int64_t startPausedAtTick = -1;
    bool exitAtEnd = false;
    std::wstring dropPath;         // dropped on the window as soon as it is up
    bool olderSaveDialog = false;  // Save As as where COM cannot make the Common Item Dialog
    void Write(const char* format, ...) const {
        if (!log) return;
        va_list args;
        va_start(args, format);
        std::vfprintf(log, format, args);
        va_end(args);
        std::fputc('\n', log);
        std::fflush(log);
    }
};

}  // namespace mrv::player::win
