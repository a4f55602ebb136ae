#include "records/LineText.h"

#include <cstdint>
#include <cstring>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F. The five bytes it leaves unassigned
// are taken as the C1 controls of the same number, as Windows itself converts them.
constexpr char16_t High1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::string FromWindows1252(std::string_view line) {
    std::string out;
    out.reserve(line.size() + line.size() / 2);
    for (char c : line) {
        const auto byte = static_cast<std::uint8_t>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? High1252[byte - 0x80] : char32_t(byte));
    }
    return out;
}

// How many leading bytes of `line` are whole, well-formed UTF-8 characters (no overlong forms,
// no surrogates, nothing past U+10FFFF); `truncated` tells whether the rest is one character
// that the end of the bytes cuts short.
std::size_t ValidUtf8Prefix(std::string_view line, bool& truncated) {
    truncated = false;
    std::size_t at = 0;
    while (at < line.size()) {
        // Runs of ASCII eight bytes at a time: nearly every line is ASCII alone.
        for (std::uint64_t word; at + sizeof word <= line.size(); at += sizeof word) {
            std::memcpy(&word, line.data() + at, sizeof word);
            if (word & 0x8080808080808080) break;
        }
        if (at == line.size()) break;
        const auto lead = static_cast<std::uint8_t>(line[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        std::size_t length = 0;
        std::uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return at;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if (at + k == line.size()) {
                truncated = true;
                return at;
            }
            const auto next = static_cast<std::uint8_t>(line[at + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return at;
        }
        at += length;
    }
    return at;
}

}  // namespace

namespace LineText {

std::string ToUtf8(std::string_view line, bool cut) {
    bool truncated = false;
    const std::size_t valid = ValidUtf8Prefix(line, truncated);
    if (valid == line.size()) return std::string(line);
    if (cut && truncated) return std::string(line.substr(0, valid));
    return FromWindows1252(line);
}

bool IsUtf8(std::string_view line) {
    bool truncated = false;
    return ValidUtf8Prefix(line, truncated) == line.size();
}

std::optional<std::u32string> Utf8Characters(std::string_view text) {
    bool truncated = false;
    if (ValidUtf8Prefix(text, truncated) != text.size()) return std::nullopt;
    std::u32string characters;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<std::uint8_t>(text[at + k]) & 0x3F);
        characters.push_back(code);
        at += length;
    }
    return characters;
}

}  // namespace LineText
