#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Reads a record file line by line, the way the file lists show it: a line ends at CR LF, LF or
// CR (the last one may have none), empty lines are left out, a UTF-8 byte-order mark at the start
// of the file is skipped, and a line is never longer than MaxLineBytes (the rest of a longer one
// is dropped). Only regular files are read, and without ever blocking, so a FIFO or a link to a
// device is refused instead of hanging; any file, binary or huge, is read in bounded steps.
// Nothing is interpreted beyond that.
class RecordFileReader {
public:
    static constexpr std::size_t MaxLineBytes = 1024;

    // The system's read(2), or a stand-in.
    using ReadFunction = std::function<ssize_t(int fd, void* buffer, std::size_t bytes)>;

    explicit RecordFileReader(ReadFunction read = {});
    ~RecordFileReader();
    RecordFileReader(const RecordFileReader&) = delete;
    RecordFileReader& operator=(const RecordFileReader&) = delete;

    // False, with ErrorText(), when the file cannot be opened for reading or is not a regular file.
    bool Open(const std::string& path);
    // The next line without its end, NUL bytes removed; nothing at the end of the file, after a
    // read error (Failed() tells which), or when `budget` bytes were read without finishing a line:
    // then Pending() is true and the next call goes on with the same line.
    std::optional<std::string> NextLine(std::size_t budget = static_cast<std::size_t>(-1));
    // The same into `line`, whose storage the next line reuses (what it held is lost); false where
    // the other gives nothing.
    bool NextLine(std::string& line, std::size_t budget = static_cast<std::size_t>(-1));
    bool Pending() const { return pending_; }
    // The last line handed out was longer than MaxLineBytes and lost the rest.
    bool Cut() const { return cut_; }
    bool Failed() const { return failed_; }
    // Empty lines left out so far.
    long EmptyLines() const { return emptyLines_; }
    // Open refused the path because it is no regular file (a FIFO, a device, a folder).
    bool NotARegularFile() const { return notRegular_; }
    const std::string& ErrorText() const { return errorText_; }

    // The header line of every record file, whatever blanks and TABs it is written with.
    static bool IsHeader(std::string_view line);
    // A record of six fields or more is two-channel: T1, T2 and T1-T2 (the TAB a list save puts
    // after the last field does not make one more).
    static bool IsTwoChannelRecord(std::string_view line);

private:
    bool Fill();
    void Fail(int code);
    void SkipByteOrderMark();
    void EndByteOrderMark(bool whole);
    // Reads on until the line is whole: false where NextLine gives nothing.
    bool ReadLine(std::size_t budget);

    ReadFunction read_;
    int fd_ = -1;
    bool failed_ = false;
    bool notRegular_ = false;
    bool ended_ = false;
    bool pending_ = false;
    bool atStart_ = true;   // nothing read yet: a byte-order mark may come
    std::size_t markBytes_ = 0;  // of the byte-order mark read so far
    bool afterCr_ = false;  // the last line ended in CR: an LF right after it belongs to it
    bool cutting_ = false;  // the line being read has outgrown MaxLineBytes
    bool cut_ = false;
    long emptyLines_ = 0;
    std::string line_;      // the line being read
    std::string errorText_;
    char buffer_[65536];
    std::size_t begin_ = 0, end_ = 0;
};
