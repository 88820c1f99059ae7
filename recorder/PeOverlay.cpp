// PE overlay finder: bounds-checks every field it reads, since the input may be hostile.
#include "recorder/PeOverlay.h"

#include <algorithm>

#include "common/ByteOrder.h"

namespace mrv {

namespace {
constexpr int64_t kDosHeaderSize = 64;
constexpr int64_t kNewHeaderOffsetField = 0x3C;
constexpr int64_t kCoffHeaderSize = 20;
constexpr int64_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr int kSecurityDirectory = 4;
constexpr int64_t kCoffSymbolSize = 18;
}  // namespace

std::optional<int64_t> FindPeOverlay(std::span<const uint8_t> file) {
    const int64_t size = static_cast<int64_t>(file.size());
    const uint8_t* p = file.data();
    if (size < kDosHeaderSize || p[0] != 'M' || p[1] != 'Z') return std::nullopt;

    const int64_t pe = GetU32(p + kNewHeaderOffsetField);
    if (pe < kDosHeaderSize || pe > size - 4 - kCoffHeaderSize) return std::nullopt;
    if (p[pe] != 'P' || p[pe + 1] != 'E' || p[pe + 2] != 0 || p[pe + 3] != 0) return std::nullopt;

    const uint8_t* coff = p + pe + 4;
    const int64_t sectionCount = GetU16(coff + 2);
    const int64_t optionalSize = GetU16(coff + 16);
    const int64_t optional = pe + 4 + kCoffHeaderSize;
    // SizeOfHeaders sits at offset 60 of both optional-header kinds.
    if (optionalSize < 64 || optional + optionalSize > size) return std::nullopt;
    const uint16_t magic = GetU16(p + optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic) return std::nullopt;

    const int64_t sections = optional + optionalSize;
    if (sections + sectionCount * kSectionHeaderSize > size) return std::nullopt;

    const int64_t headersSize = GetU32(p + optional + 60);
    if (headersSize < sections + sectionCount * kSectionHeaderSize || headersSize > size) {
        return std::nullopt;
    }
    int64_t end = headersSize;
    for (int64_t i = 0; i < sectionCount; ++i) {
        const uint8_t* s = p + sections + i * kSectionHeaderSize;
        const int64_t rawSize = GetU32(s + 16);
        const int64_t rawPointer = GetU32(s + 20);
        if (rawSize == 0) continue;  // uninitialised data occupies no file bytes
        if (rawPointer + rawSize > size) return std::nullopt;
        end = std::max(end, rawPointer + rawSize);
    }

    // Unstripped MinGW images keep a COFF symbol table and its string table after the
    // sections, outside any section.
    const int64_t symbols = GetU32(coff + 8);
    if (symbols != 0) {
        const int64_t symbolsEnd = symbols + int64_t{GetU32(coff + 12)} * kCoffSymbolSize;
        if (symbolsEnd > size) return std::nullopt;
        int64_t stringsEnd = symbolsEnd;
        if (size - symbolsEnd >= 4) {
            stringsEnd = symbolsEnd + GetU32(p + symbolsEnd);
            if (stringsEnd > size) return std::nullopt;
        }
        end = std::max(end, stringsEnd);
    }

    // A signed executable keeps its certificate table after the sections, addressed by file
    // offset; what is appended to a signed stub starts after it.
    const int64_t directoryCountAt = magic == kPe32Magic ? 92 : 108;
    const int64_t directoriesAt = directoryCountAt + 4;
    if (optionalSize >= directoriesAt + 8 * (kSecurityDirectory + 1) &&
        GetU32(p + optional + directoryCountAt) > kSecurityDirectory) {
        const uint8_t* d = p + optional + directoriesAt + 8 * kSecurityDirectory;
        const int64_t certAt = GetU32(d);
        const int64_t certSize = GetU32(d + 4);
        if (certSize != 0) {
            if (certAt + certSize > size) return std::nullopt;
            end = std::max(end, certAt + certSize);
        }
    }
    return end;
}

}  // namespace mrv
