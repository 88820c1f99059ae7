// Helper programs (ffmpeg) started from an argument vector, never through a shell, and the
// private temporary folder they work in.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace mrv::exporting {

class ChildProcess {
  public:
    virtual ~ChildProcess() = default;
    // Standard input; false once the child stopped reading.
    virtual bool Write(std::span<const uint8_t> bytes) = 0;
    virtual void CloseInput() = 0;
    // The extra input, which the child opens by the name ExtraInputName() gave.
    virtual bool WriteExtra(std::span<const uint8_t> bytes) = 0;
    virtual void CloseExtra() = 0;
    // Standard output: bytes read, 0 at its end, -1 on failure.
    virtual int64_t Read(std::span<uint8_t> out) = 0;
    virtual void CloseOutput() = 0;
    // Closes every pipe and waits; 0 when the child succeeded.
    virtual int Wait() = 0;
    // Ends the child and every process it started at once; safe from another thread while
    // this one writes or waits, which then fail.
    virtual void Kill() = 0;
    // After Wait: the last line the child wrote to its error output (drained on a thread of
    // its own, so that a chatty child never blocks), or empty.
    virtual std::string LastErrorLine() = 0;
};

struct ChildSpec {
    std::string program;            // full path, UTF-8
    std::vector<std::string> args;  // after the program name, UTF-8, passed as they are
    bool pipeInput = false;
    bool pipeOutput = false;
    std::string extraInput;  // from ExtraInputName(), or empty for none
};

// A new name for a child's extra input ("pipe:3" or a named pipe), as the child must open it.
std::string ExtraInputName();

std::unique_ptr<ChildProcess> StartChild(const ChildSpec& request, std::string& error);

// A new folder only this user can open, under the system's temporary folder; empty on failure.
std::string MakePrivateTempFolder(std::string& error);

}  // namespace mrv::exporting
