// Checks of the recorder's Win32 adapters under Wine: files, program paths and the GDI source.
// Prints one line per failed check and exits with the number of failures.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "common/ByteOrder.h"
#include "common/win32/Handles.h"
#include "common/win32/WinText.h"
#include "recorder/MemoryScreen.h"
#include "recorder/Recorder.h"
#include "recorder/StreamFormat.h"
#include "recorder/win32/GdiScreenSource.h"
#include "recorder/win32/Win32Platform.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAIL: %s\n", what);
        ++failures;
    }
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

// The whole file through the file system's reader; false when it cannot be opened or read.
bool ReadWhole(mrv::FileSystem& files, const std::string& path, std::vector<uint8_t>& bytes,
               std::string& error) {
    const std::unique_ptr<mrv::InputFile> in = files.OpenRead(path, error);
    if (!in) return false;
    bytes.clear();
    uint8_t piece[4096];
    for (;;) {
        const int64_t read = in->Read(piece);
        if (read < 0) {
            error = in->LastError();
            return false;
        }
        if (read == 0) return true;
        bytes.insert(bytes.end(), piece, piece + read);
    }
}

void OutputFileKeepsWhatWasWritten(const std::string& dir) {
    mrv::win::Win32FileSystem files;
    std::string error;
    const std::string path = dir + "\\out.bin";
    auto out = files.Create(path, error);
    Check(out != nullptr, "output file created");
    if (!out) return;
    Check(out->Append(Bytes({1, 2, 3, 4})) && out->Append(Bytes({5, 6})), "appends");
    Check(out->Size() == 6, "size after appends");
    Check(out->WriteAt(1, Bytes({9, 9})), "write in place");
    std::vector<uint8_t> back(3);
    Check(out->ReadAt(0, back) && back == Bytes({1, 9, 9}), "read back in place");
    Check(out->Append(Bytes({7})) && out->Size() == 7, "append goes to the end after WriteAt");
    Check(out->Truncate(5) && out->Size() == 5, "truncate");
    std::vector<uint8_t> past(4);
    Check(!out->ReadAt(3, past) && !out->LastError().empty(), "read past the end fails with text");

    // The output is not shared: nobody can open it meanwhile.
    std::vector<uint8_t> whole;
    Check(!ReadWhole(files, path, whole, error) && !error.empty(), "output file not shared");
    out.reset();
    Check(ReadWhole(files, path, whole, error) && whole == Bytes({1, 9, 9, 4, 5}),
          "closed output holds the bytes");

    // An existing file is truncated on creation.
    out = files.Create(path, error);
    Check(out && out->Size() == 0, "creation truncates");
    out.reset();
    Check(!files.Create(dir + "\\no such folder\\x.exe", error) && !error.empty(),
          "creation in a missing folder fails with text");
}

void StubReadsWhileOthersHoldIt(const std::string& dir) {
    mrv::win::Win32FileSystem files;
    const std::string path = dir + "\\stub.bin";
    std::string error;
    auto writer = files.Create(path, error);
    Check(writer && writer->Append(Bytes({42})), "stub written");
    writer.reset();
    mrv::win::UniqueFile other(::CreateFileW(mrv::win::Widen(path).c_str(),
                                             GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<uint8_t> bytes;
    Check(ReadWhole(files, path, bytes, error) && bytes == Bytes({42}),
          "stub read while another program has it open");
    Check(files.Exists(path) && !files.Exists(dir + "\\missing.bin") && !files.Exists(dir),
          "exists for files only");
}

void SameFileSeesThroughNames(const std::string& dir) {
    mrv::win::Win32FileSystem files;
    const std::string path = dir + "\\Same.bin";
    std::string error;
    files.Create(path, error).reset();
    std::string upper = path;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Check(files.SameFile(path, upper), "same file in other case");
    Check(files.SameFile(path, dir + "\\.\\sub\\..\\Same.bin"), "same file through dots");
    Check(!files.SameFile(path, dir + "\\stub.bin"), "different files differ");
    Check(files.SameFile(dir + "\\new.ini", dir + "\\NEW.INI"), "missing file compared by name");
    Check(!files.SameFile(dir + "\\new.ini", dir + "\\other.ini"), "missing files differ");
}

void ProgramFilesLieBesideTheProgram() {
    const mrv::ProgramFiles files = mrv::win::ProgramFilesBesideProgram();
    const std::string folder = mrv::win::Narrow(mrv::win::ProgramFolder());
    Check(files.stubPath == folder + "HeadFile.hdf", "stub beside the program");
    Check(files.programPath == folder + "mrv_e2e_adapters.exe", "program path");
    Check(files.iniPath == folder + "mrv_e2e_adapters.ini", "INI path");
}

void RecorderRefusesToOverwriteTheStub(const std::string& dir) {
    mrv::win::GdiScreenSource screen;
    mrv::win::SystemClock clock;
    mrv::win::SystemCursor cursor;
    mrv::win::LowLevelMouseHook hook;
    mrv::win::Win32FileSystem files;
    struct : mrv::AudioFactory {
        std::unique_ptr<mrv::AudioInput> Create(mrv::AudioSink&) override { return nullptr; }
    } audio;
    struct : mrv::TickTimer {
        void Start(int32_t) override {}
        void Stop() override {}
    } timer;
    struct : mrv::RecorderView {
        void ShowLabels(const std::string&, const std::string&) override {}
    } view;
    mrv::Recorder recorder({screen, clock, cursor, hook, files, audio, timer, view});
    mrv::ProgramFiles own;
    own.stubPath = dir + "\\stub.bin";
    mrv::RecordingOptions options;
    std::string stubInOtherCase = own.stubPath;
    stubInOtherCase.replace(stubInOtherCase.size() - 8, 8, "STUB.BIN");
    const mrv::StartResult result = recorder.StartRecording(stubInOtherCase, options, own);
    std::vector<uint8_t> stub;
    std::string error;
    Check(result.outcome == mrv::StartResult::Outcome::Failed && !result.error.empty(),
          "recording over the stub refused");
    Check(ReadWhole(files, own.stubPath, stub, error) && stub == Bytes({42}), "stub intact");
}

void GdiColourTablesAreFilled() {
    mrv::win::GdiScreenSource screen;
    const mrv::ScreenSize size = screen.Size();
    for (int bpp : {4, 8}) {
        std::vector<uint8_t> info = mrv::MakeBitmapInfo(size.width, size.height, bpp);
        Check(screen.GrabRect(0, 0, size.width, size.height, info, nullptr, mrv::kSrcCopy),
              "colour-table grab succeeds");
        // The last entry of both standard tables is white.
        const size_t last = info.size() - 4;
        Check(info[last] == 255 && info[last + 1] == 255 && info[last + 2] == 255,
              bpp == 4 ? "4-bit colour table filled" : "8-bit colour table filled");
        Check(mrv::GetI32(info.data() + 4) == size.width &&
                  mrv::GetI32(info.data() + 8) == -size.height,
              "header keeps the screen size");
    }
}

// Grabs inside a tick (reused line bitmap) equal grabs outside one, at every depth.
void TickGrabsEqualSingleGrabs() {
    mrv::win::GdiScreenSource screen;
    const mrv::ScreenSize size = screen.Size();
    for (int bpp : {4, 8, 16, 32}) {
        const mrv::FrameGeometry g = mrv::MakeGeometry(size.width, size.height, bpp);
        std::vector<uint8_t> info = mrv::MakeBitmapInfo(size.width, size.height, bpp);
        Check(screen.GrabRect(0, 0, size.width, size.height, info, nullptr, mrv::kSrcCopy),
              "colour-table grab succeeds at every depth");
        std::vector<uint8_t> single(static_cast<size_t>(g.bytesPerLine) * 3);
        std::vector<uint8_t> inTick(single.size());
        std::vector<uint8_t> band(single.size());
        const int rows[] = {0, size.height / 2, size.height - 1};
        for (int i = 0; i < 3; ++i) {
            screen.GrabRect(0, rows[i], size.width, 1, info, &single[i * g.bytesPerLine],
                            mrv::kSrcCopy);
        }
        screen.BeginTick();
        bool grabbed = true;
        for (int i = 0; i < 3; ++i) {
            grabbed &= screen.GrabRect(0, rows[i], size.width, 1, info, &inTick[i * g.bytesPerLine],
                                       mrv::kSrcCopy);
        }
        // A band grab in the same tick does not disturb the line objects.
        std::vector<uint8_t> scratch(static_cast<size_t>(g.frameBytes));
        grabbed &=
            screen.GrabRect(0, 0, size.width, size.height, info, scratch.data(), mrv::kSrcCopy);
        Check(grabbed, "grabs in a tick report success");
        screen.GrabRect(0, rows[1], size.width, 1, info, &band[g.bytesPerLine], mrv::kSrcCopy);
        screen.EndTick();
        Check(single == inTick, "line grabs in a tick equal single grabs");
        Check(std::equal(band.begin() + g.bytesPerLine, band.begin() + 2 * g.bytesPerLine,
                         single.begin() + g.bytesPerLine),
              "line grab after a band grab");
        Check(std::equal(scratch.begin() + static_cast<ptrdiff_t>(rows[1]) * g.bytesPerLine,
                         scratch.begin() + static_cast<ptrdiff_t>(rows[1] + 1) * g.bytesPerLine,
                         single.begin() + g.bytesPerLine),
              "full grab row equals line grab");
        Check(mrv::GetI32(info.data() + 8) == -1 && mrv::GetI32(info.data() + 4) == size.width,
              "header rewritten by the last grab");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mrv_e2e_adapters WINDOWS_WORK_FOLDER\n");
        return 2;
    }
    const std::string dir = argv[1];
    OutputFileKeepsWhatWasWritten(dir);
    StubReadsWhileOthersHoldIt(dir);
    SameFileSeesThroughNames(dir);
    ProgramFilesLieBesideTheProgram();
    RecorderRefusesToOverwriteTheStub(dir);
    GdiColourTablesAreFilled();
    TickGrabsEqualSingleGrabs();
    std::printf("%d failed\n", failures);
    return failures;
}
