// The PE overlay finder over synthetic images: the image end, and refusal of broken headers.
#include "recorder/PeOverlay.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/ByteOrder.h"

namespace mrv {
namespace {

struct Section {
    uint32_t rawPointer;
    uint32_t rawSize;
};

// A minimal PE image: DOS header, "PE\0\0" at 0x80, COFF header, optional header, sections.
class PeImage {
  public:
    static constexpr size_t kPe = 0x80;
    static constexpr size_t kOptional = kPe + 24;

    explicit PeImage(std::vector<Section> sections, bool plus = true, uint32_t headersSize = 0x400)
        : plus_(plus) {
        const uint16_t optionalSize = plus ? 240 : 224;
        uint32_t end = headersSize;
        for (const Section& s : sections) end = std::max(end, s.rawPointer + s.rawSize);
        bytes.assign(end, 0xCC);
        std::fill(bytes.begin(), bytes.begin() + headersSize, 0);
        bytes[0] = 'M';
        bytes[1] = 'Z';
        PutU32(&bytes[0x3C], kPe);
        bytes[kPe] = 'P';
        bytes[kPe + 1] = 'E';
        PutU16(&bytes[kPe + 4], plus ? 0x8664 : 0x14C);
        PutU16(&bytes[kPe + 6], static_cast<uint16_t>(sections.size()));
        PutU16(&bytes[kPe + 20], optionalSize);
        PutU16(&bytes[kOptional], plus ? 0x20B : 0x10B);
        PutU32(&bytes[kOptional + 60], headersSize);
        PutU32(&bytes[kOptional + DirectoryCountAt()], 16);
        const size_t table = kOptional + optionalSize;
        for (size_t i = 0; i < sections.size(); ++i) {
            PutU32(&bytes[table + i * 40 + 16], sections[i].rawSize);
            PutU32(&bytes[table + i * 40 + 20], sections[i].rawPointer);
        }
    }

    size_t DirectoryCountAt() const { return plus_ ? 108 : 92; }
    void SetCertificate(uint32_t at, uint32_t size) {
        const size_t d = kOptional + DirectoryCountAt() + 4 + 8 * 4;
        PutU32(&bytes[d], at);
        PutU32(&bytes[d + 4], size);
        if (bytes.size() < at + size) bytes.resize(at + size, 0xEE);
    }
    std::vector<uint8_t> WithOverlay(size_t n) const {
        std::vector<uint8_t> out = bytes;
        out.insert(out.end(), n, 0x78);
        return out;
    }

    std::vector<uint8_t> bytes;

  private:
    bool plus_;
};

TEST(PeOverlay, EndsAfterTheSectionWhoseRawDataEndsLast) {
    // Sections out of file order: the end is the maximum, not the last table entry.
    PeImage pe({{0x400, 0x1000}, {0x2400, 0x200}, {0x1400, 0x1000}});
    EXPECT_EQ(FindPeOverlay(pe.WithOverlay(100)), 0x2600);
    EXPECT_EQ(FindPeOverlay(pe.bytes), 0x2600);  // nothing appended: overlay at end of file
}

TEST(PeOverlay, ReadsThirtyTwoBitImagesToo) {
    PeImage pe({{0x400, 0x600}}, /*plus=*/false);
    EXPECT_EQ(FindPeOverlay(pe.WithOverlay(37)), 0xA00);
}

TEST(PeOverlay, SectionsWithoutRawDataDoNotCount) {
    PeImage pe({{0x400, 0x200}, {0x9000, 0}});
    EXPECT_EQ(FindPeOverlay(pe.WithOverlay(10)), 0x600);
}

TEST(PeOverlay, HeadersAloneWhenThereAreNoSections) {
    PeImage pe({}, true, 0x200);
    EXPECT_EQ(FindPeOverlay(pe.WithOverlay(10)), 0x200);
}

TEST(PeOverlay, SignedImageEndsAfterItsCertificateTable) {
    PeImage pe({{0x400, 0x200}});
    pe.SetCertificate(0x600, 0x180);
    EXPECT_EQ(FindPeOverlay(pe.WithOverlay(10)), 0x780);
}

TEST(PeOverlay, UnstrippedImageEndsAfterItsSymbolAndStringTables) {
    PeImage pe({{0x400, 0x200}});
    PutU32(&pe.bytes[PeImage::kPe + 12], 0x600);  // PointerToSymbolTable
    PutU32(&pe.bytes[PeImage::kPe + 16], 3);      // NumberOfSymbols, 18 bytes each
    pe.bytes.resize(0x600 + 3 * 18, 0);
    const uint8_t strings[] = {10, 0, 0, 0, 'a', 'b', 'c', 0, 'd', 0};
    pe.bytes.insert(pe.bytes.end(), std::begin(strings), std::end(strings));
    EXPECT_EQ(FindPeOverlay(pe.WithOverlay(50)), 0x600 + 3 * 18 + 10);

    auto stringsPastEnd = pe.bytes;
    PutU32(&stringsPastEnd[0x600 + 3 * 18], 0x10000);
    EXPECT_EQ(FindPeOverlay(stringsPastEnd), std::nullopt);
}

TEST(PeOverlay, RefusesWhatIsNotAPeImage) {
    EXPECT_EQ(FindPeOverlay({}), std::nullopt);
    std::vector<uint8_t> stream(4096, 0);  // a bare recording stream starts with a double
    EXPECT_EQ(FindPeOverlay(stream), std::nullopt);

    PeImage good({{0x400, 0x200}});
    auto noMz = good.bytes;
    noMz[1] = 'X';
    EXPECT_EQ(FindPeOverlay(noMz), std::nullopt);
    auto noPe = good.bytes;
    noPe[PeImage::kPe + 1] = 'X';
    EXPECT_EQ(FindPeOverlay(noPe), std::nullopt);
    auto badMagic = good.bytes;
    PutU16(&badMagic[PeImage::kOptional], 0x107);
    EXPECT_EQ(FindPeOverlay(badMagic), std::nullopt);
}

TEST(PeOverlay, RefusesHostileOffsetsAndSizesWithoutReadingPastTheEnd) {
    PeImage good({{0x400, 0x200}});
    auto farHeader = good.bytes;
    PutU32(&farHeader[0x3C], 0xFFFFFFF0);
    EXPECT_EQ(FindPeOverlay(farHeader), std::nullopt);

    auto headerAtEnd = good.bytes;
    PutU32(&headerAtEnd[0x3C], static_cast<uint32_t>(headerAtEnd.size() - 2));
    EXPECT_EQ(FindPeOverlay(headerAtEnd), std::nullopt);

    auto manySections = good.bytes;
    PutU16(&manySections[PeImage::kPe + 6], 0xFFFF);
    EXPECT_EQ(FindPeOverlay(manySections), std::nullopt);

    auto hugeOptional = good.bytes;
    PutU16(&hugeOptional[PeImage::kPe + 20], 0xFFFF);
    EXPECT_EQ(FindPeOverlay(hugeOptional), std::nullopt);

    auto sectionPastEnd = good.bytes;
    PutU32(&sectionPastEnd[PeImage::kOptional + 240 + 16], 0xFFFFFFFF);
    EXPECT_EQ(FindPeOverlay(sectionPastEnd), std::nullopt);

    auto headersPastEnd = good.bytes;
    PutU32(&headersPastEnd[PeImage::kOptional + 60], 0x7FFFFFFF);
    EXPECT_EQ(FindPeOverlay(headersPastEnd), std::nullopt);

    PeImage certPastEnd({{0x400, 0x200}});
    certPastEnd.SetCertificate(0x600, 0x100);
    certPastEnd.bytes.resize(0x680);
    EXPECT_EQ(FindPeOverlay(certPastEnd.bytes), std::nullopt);

    // Every prefix of a good image is either refused or ends inside it.
    for (size_t n = 0; n < good.bytes.size(); n += 7) {
        const std::span<const uint8_t> prefix(good.bytes.data(), n);
        const auto end = FindPeOverlay(prefix);
        if (end) {
            EXPECT_LE(*end, static_cast<int64_t>(n));
        }
    }
}

}  // namespace
}  // namespace mrv
