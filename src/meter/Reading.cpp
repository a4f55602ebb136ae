#include "meter/Reading.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Up to here the tenths fit 32 bits, which covers every reading by a wide margin.
constexpr double LargestFastValue = 2e8;

// Digits are written right to left into a scratch buffer whose start is copied out whole, a fixed
// size that the compiler turns into two moves instead of a call.
int FormatTenths(std::uint32_t tenths, bool negative, char* buf) {
    char scratch[32];
    char* end = scratch + 16;
    char* first = end;
    *--first = static_cast<char>('0' + tenths % 10);
    *--first = '.';
    std::uint32_t whole = tenths / 10;
    do {
        *--first = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative) *--first = '-';
    std::memcpy(buf, first, 16);
    auto length = static_cast<int>(end - first);
    buf[length] = '\0';
    return length;
}

// Values beyond any reading (and NaN, infinities): correct but not fast.
int FormatLarge(double value, char* buf) {
    auto res = std::to_chars(buf, buf + 31, value, std::chars_format::fixed, 1);
    if (res.ec != std::errc()) res = std::to_chars(buf, buf + 31, value);
    *res.ptr = '\0';
    return static_cast<int>(res.ptr - buf);
}

}  // namespace

std::string_view Reading::MarkText(Kind kind) {
    switch (kind) {
        case Kind::NoReading:
            return "----";
        case Kind::Over:
            return "OL";
        case Kind::Under:
            return "-OL";
        case Kind::Number:
        case Kind::Empty:
            break;
    }
    return "";
}

std::string Reading::Text() const {
    return IsNumber() ? FormatOneDecimal(value_) : std::string(MarkText(kind_));
}

int FormatOneDecimal(double value, char* buf) {
    double magnitude = std::fabs(value);
    if (!(magnitude < LargestFastValue)) return FormatLarge(value, buf);
    // Rounding the tenths half away from zero gives what a user reads off the decimal value:
    // 26.80000000000001 is 26.8, and a computed 0.15 is 0.2 even though its binary form is below.
    double scaled = magnitude * 10.0;
    auto tenths = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
    if (scaled - static_cast<double>(tenths) >= 0.5) ++tenths;
    return FormatTenths(tenths, value < 0 && tenths != 0, buf);
}

std::string FormatOneDecimal(double value) {
    char buf[32];
    int length = FormatOneDecimal(value, buf);
    return std::string(buf, static_cast<std::size_t>(length));
}
