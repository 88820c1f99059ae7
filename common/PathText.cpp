// UTF-8 <-> UTF-16 by hand: std::filesystem's and the library's conversions would bring their
// locale machinery into the player that every recording carries, and portable code cannot
// call the system's. Out of line: it is called from a hundred places.
#include "common/PathText.h"

namespace mrv {

std::wstring Widen(const std::string& utf8) {
    std::wstring wide;
    wide.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80   ? 0
                          : b < 0xC2 ? -1
                          : b < 0xE0 ? 1
                          : b < 0xF0 ? 2
                          : b < 0xF5 ? 3
                                     : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        int taken = 0;
        bool valid = extra >= 0;
        while (valid && taken < extra) {
            const size_t at = i + 1 + static_cast<size_t>(taken);
            const auto n = at < utf8.size() ? static_cast<unsigned char>(utf8[at]) : 0;
            valid = (n & 0xC0) == 0x80;
            if (!valid) break;
            c = (c << 6) | (n & 0x3F);
            ++taken;
        }
        // Overlong three- and four-byte forms, encoded surrogates and code points past U+10FFFF.
        static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (valid && (c < kLeast[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)) {
            valid = false;
        }
        // A broken sequence is one U+FFFD; the byte that broke it starts the next.
        i += valid ? static_cast<size_t>(extra) + 1 : static_cast<size_t>(taken) + 1;
        if (!valid) c = 0xFFFD;
        if (c >= 0x10000 && sizeof(wchar_t) == 2) {
            wide.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
            wide.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<wchar_t>(c));
        }
    }
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() &&
            static_cast<char32_t>(wide[i + 1]) >= 0xDC00 &&
            static_cast<char32_t>(wide[i + 1]) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(wide[++i]) - 0xDC00);
        } else if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace mrv
