#include "records/CsvRows.h"

namespace {

constexpr std::string_view TwoChannelColumns[] = {"record", "timestamp", "t1",      "t2",        "t1_t2",
                                                  "unit",   "t1_mark",   "t2_mark", "t1_t2_mark"};
constexpr std::string_view OneChannelColumns[] = {"record", "timestamp", "t1", "unit", "t1_mark"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// A number as a record file may hold it: an optional minus, digits, and a point or comma followed
// by digits (files written where the decimal sign is a comma have one). `sign` is then where the
// decimal sign stands, npos for a whole number.
bool IsNumber(std::string_view text, std::size_t& sign) {
    std::size_t at = text.starts_with('-') ? 1 : 0;
    const std::size_t wholeStart = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    if (at == wholeStart) return false;
    sign = std::string_view::npos;
    if (at == text.size()) return true;
    if (text[at] != '.' && text[at] != ',') return false;
    sign = at++;
    const std::size_t fractionStart = at;
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at > fractionStart && at == text.size();
}

}  // namespace

void CsvRows::AppendField(std::string& out, std::string_view field) const {
    bool plain = true;
    for (const char c : field) {
        if (c == style_.delimiter || c == '"' || c == '\r' || c == '\n') {
            plain = false;
            break;
        }
    }
    if (plain) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// A number holds no quote or line break; it is quoted only where its decimal sign, or any other
// of its characters, is the delimiter.
void CsvRows::AppendNumber(std::string& out, std::string_view number, std::size_t sign) const {
    const char decimal = style_.decimalComma ? ',' : '.';
    bool quote = false;
    for (std::size_t i = 0; i < number.size(); ++i)
        quote |= (i == sign ? decimal : number[i]) == style_.delimiter;
    if (quote) out += '"';
    const std::size_t at = out.size();
    out += number;
    if (sign != std::string_view::npos) out[at + sign] = decimal;
    if (quote) out += '"';
}

void CsvRows::AppendHeader(std::string& out, std::size_t readings) const {
    bool first = true;
    const std::span<const std::string_view> columns =
        readings > 1 ? std::span<const std::string_view>(TwoChannelColumns) : OneChannelColumns;
    for (std::string_view column : columns) {
        if (!first) out += style_.delimiter;
        out += column;
        first = false;
    }
}

void CsvRows::AppendRecord(std::string& out, std::string_view record, std::string_view timestamp,
                           std::span<const std::string_view> readings, std::string_view unit) const {
    AppendField(out, record);
    out += style_.delimiter;
    AppendField(out, timestamp);
    // Numbers first, marks after the unit: each reading is looked at once and its mark kept.
    std::string_view marks[3];
    for (std::size_t i = 0; i < readings.size() && i < 3; ++i) {
        const std::string_view reading = Trimmed(readings[i]);
        std::size_t sign = 0;
        out += style_.delimiter;
        if (!IsNumber(reading, sign)) {
            marks[i] = reading;
            continue;
        }
        AppendNumber(out, reading, sign);
    }
    out += style_.delimiter;
    AppendField(out, unit);
    for (std::size_t i = 0; i < readings.size() && i < 3; ++i) {
        out += style_.delimiter;
        AppendField(out, marks[i]);
    }
}
