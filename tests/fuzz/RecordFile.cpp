// A record file through the file reader and the rows and layout of its list, as the file list and
// tq36-cli convert take it: line ends, byte-order mark, NUL bytes, long lines, headers, and the
// first record telling the layout.
// The reader's reads come from memory, in pieces of changing size, as a slow file system or a
// signal may cut them; however they are cut, the lines must be the same.
//
// Input: the whole file.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "records/FileListRows.h"
#include "records/RecordFileReader.h"
#include "records/RecordTable.h"

namespace {

// The reader insists on a regular file; an empty one in memory serves, its reads are stood in for.
const std::string& RegularFile() {
    static const std::string path = [] {
        const int fd = memfd_create("tq36-fuzz-record-file", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

// Every line of the file, read in pieces of the sizes `pieces` cycles through (0: as much as
// asked), asking for at most `budget` bytes per call as the list does between its event turns.
std::vector<std::string> ReadLines(const std::uint8_t* data, std::size_t size, std::vector<std::size_t> pieces,
                                   std::size_t budget) {
    std::size_t at = 0, turn = 0;
    RecordFileReader reader([&](int, void* buffer, std::size_t bytes) -> ssize_t {
        std::size_t n = std::min(bytes, size - at);
        const std::size_t piece = pieces[turn++ % pieces.size()];
        if (piece > 0) n = std::min(n, piece);
        if (n > 0) std::memcpy(buffer, data + at, n);
        at += n;
        return static_cast<ssize_t>(n);
    });
    Fuzz::Require(reader.Open(RegularFile()), "a regular file opens");
    std::vector<std::string> lines;
    for (;;) {
        std::optional<std::string> line = reader.NextLine(budget);
        if (line) {
            lines.push_back(std::move(*line));
        } else if (!reader.Pending()) {
            break;
        }
    }
    Fuzz::Require(!reader.Failed() && at == size, "the whole file is read");
    return lines;
}

std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> lines = ReadLines(data, size, {0}, static_cast<std::size_t>(-1));
    for (const std::string& line : lines) {
        Fuzz::Require(!line.empty() && line.size() <= RecordFileReader::MaxLineBytes, "a line is 1 to 1024 bytes");
        Fuzz::Require(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos,
                      "a line holds no line end and no NUL");
    }
    const std::size_t seed = size == 0 ? 0 : data[size / 2];
    Fuzz::Require(ReadLines(data, size, {1 + seed % 5, 2, 7, 0, 3}, 1 + seed % 97) == lines,
                  "the lines do not depend on how the reads are cut");

    // The list: headers left out, the first record choosing one or two channels.
    FileListRows rows;
    long headers = 0;
    for (const std::string& line : lines) {
        headers += RecordFileReader::IsHeader(line) ? 1 : 0;
        rows.Take(line, false);
    }
    rows.End();
    const std::vector<std::string> taken = rows.TakeRows();
    Fuzz::Require(rows.Headers() == headers && taken.size() + static_cast<std::size_t>(headers) == lines.size(),
                  "every line but a header is a row");
    Fuzz::Require(rows.Dual().has_value() == !taken.empty(), "the records, and only they, choose the layout");
    if (taken.empty()) return 0;
    RecordTable table(RecordTable::ColumnsFor(*rows.Dual()));
    long records = 0;
    for (const std::string& row : taken) {
        table.Append(row);
        ++records;
        const std::vector<std::string_view> fields = Split(row);
        for (int c = 0; c < table.Columns(); ++c) {
            const std::string_view field = static_cast<std::size_t>(c) < fields.size() ? fields[c] : "";
            Fuzz::Require(table.Cell(records, c) == field, "a cell holds its field of the row");
        }
    }
    Fuzz::Require(table.Rows() == records, "one row per record");
    return 0;
}
