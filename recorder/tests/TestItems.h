// Splits a tick buffer into its RectItems for the tests.
#pragma once

#include <vector>

#include "common/PubUtils.h"
#include "recorder/StreamFormat.h"

namespace mrv::testing {

inline std::vector<Rect> ParseItems(const std::vector<uint8_t>& buffer, int bitsPerPixel) {
    std::vector<Rect> items;
    size_t at = 0;
    while (at + kRectHeaderSize <= buffer.size()) {
        const Rect r = DecodeRectHeader(buffer.data() + at);
        items.push_back(r);
        at += kRectHeaderSize +
              static_cast<size_t>(BytesPerRow(int64_t{r.right - r.left} * bitsPerPixel) *
                                  (r.bottom - r.top));
    }
    if (at != buffer.size()) items.push_back(Rect{-1, -1, -1, -1});  // marks a broken buffer
    return items;
}

}  // namespace mrv::testing
