#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Reads a record file line by line, the way the file lists show it: a line ends at CR LF, LF or
// CR (the last one may have none), empty lines are left out, and a line is never longer than
// MaxLineBytes (the rest of a longer one is dropped), so any file, binary or huge, is read in
// bounded steps. Nothing is interpreted beyond that.
class RecordFileReader {
public:
    static constexpr std::size_t MaxLineBytes = 1024;

    RecordFileReader() = default;
    ~RecordFileReader();
    RecordFileReader(const RecordFileReader&) = delete;
    RecordFileReader& operator=(const RecordFileReader&) = delete;

    // False when the file cannot be opened for reading.
    bool Open(const std::string& path);
    // The next line without its end, NUL bytes removed; nothing at the end of the file or after a
    // read error (Failed() tells which).
    std::optional<std::string> NextLine();
    bool Failed() const { return failed_; }

    // The header line of every record file, whatever blanks and TABs it is written with.
    static bool IsHeader(std::string_view line);
    // A record of six fields or more is two-channel: T1, T2 and T1-T2 (the TAB a list save puts
    // after the last field does not make one more).
    static bool IsTwoChannelRecord(std::string_view line);

private:
    bool Fill();

    int fd_ = -1;
    bool failed_ = false;
    bool ended_ = false;
    bool afterCr_ = false;  // the last line ended in CR: an LF right after it belongs to it
    char buffer_[65536];
    std::size_t begin_ = 0, end_ = 0;
};
