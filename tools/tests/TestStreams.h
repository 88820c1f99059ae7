// Builds small recording streams record by record for the tools' tests.
#pragma once

#include <vector>

#include "common/ByteOrder.h"
#include "common/PubUtils.h"
#include "recorder/StreamFormat.h"
#include "recorder/ZlibCompressor.h"

namespace mrv::tools::testing {

struct TestStream {
    TestStream(int32_t w, int32_t h, int bpp, uint8_t audioFormat = 0)
        : geometry(MakeGeometry(w, h, bpp)) {
        header.screenWidth = w;
        header.screenHeight = h;
        header.bytesPerLine = geometry.bytesPerLine;
        header.frameBytes = static_cast<int32_t>(geometry.frameBytes);
        header.bitmapInfoSize = geometry.bitmapInfoSize;
        header.audioFormat = audioFormat;
        const auto info = MakeBitmapInfo(w, h, bpp);
        bitmapInfo.assign(info.begin(), info.end());
    }
    // One record holding one item filled with `fill`, or none when `r` is empty.
    void Add(Rect r, uint8_t fill, uint16_t audio = 0, uint8_t hold = 0) {
        std::vector<uint8_t> items;
        if (r.right > r.left) {
            AppendRectHeader(items, r);
            const int64_t rowBytes = BytesPerRow(int64_t{r.right - r.left} * geometry.bitsPerPixel);
            items.insert(items.end(), static_cast<size_t>(rowBytes * (r.bottom - r.top)), fill);
        }
        std::vector<uint8_t> z;
        compressor.Compress(items, z);
        AddRaw(z, audio, hold);
    }
    void AddRaw(const std::vector<uint8_t>& payload, uint16_t audio = 0, uint8_t hold = 0) {
        FrameHeader f;
        f.payloadSize = static_cast<int32_t>(payload.size());
        f.audioSize = audio;
        f.holdTicks = hold;
        const auto fb = EncodeFrameHeader(f);
        records.insert(records.end(), fb.begin(), fb.end());
        records.insert(records.end(), audio, 0x55);
        records.insert(records.end(), payload.begin(), payload.end());
    }
    std::vector<uint8_t> Bytes() const {
        const auto hb = EncodeStreamHeader(header);
        std::vector<uint8_t> out(hb.begin(), hb.end());
        out.insert(out.end(), bitmapInfo.begin(), bitmapInfo.end());
        out.insert(out.end(), records.begin(), records.end());
        return out;
    }

    FrameGeometry geometry;
    StreamHeader header;
    std::vector<uint8_t> bitmapInfo;
    std::vector<uint8_t> records;
    ZlibCompressor compressor;
};

}  // namespace mrv::tools::testing
