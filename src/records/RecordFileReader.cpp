#include "records/RecordFileReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

RecordFileReader::~RecordFileReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool RecordFileReader::Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
}

bool RecordFileReader::Fill() {
    if (ended_ || failed_ || fd_ < 0) return false;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer_, sizeof buffer_);
        if (got > 0) {
            begin_ = 0;
            end_ = static_cast<std::size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        (got == 0 ? ended_ : failed_) = true;
        return false;
    }
}

std::optional<std::string> RecordFileReader::NextLine() {
    std::string line;
    bool any = false;  // a character or a line end was read for this line
    for (;;) {
        if (begin_ == end_ && !Fill()) break;
        const char c = buffer_[begin_++];
        if (c == '\n' && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = c == '\r';
        if (c == '\n' || c == '\r') {
            if (!line.empty()) return line;
            any = false;  // an empty line is left out
            continue;
        }
        any = true;
        if (c != '\0' && line.size() < MaxLineBytes) line.push_back(c);
    }
    if (any && !line.empty()) return line;
    return std::nullopt;
}

bool RecordFileReader::IsHeader(std::string_view line) {
    // Compared character by character with the blanks and TABs left out: every line of a file
    // comes through here.
    constexpr std::string_view Compact = "No.sTimeT1T2T1-T2Unit";
    std::size_t matched = 0;
    for (char c : line) {
        if (c == '\t' || c == ' ') continue;
        if (matched == Compact.size() || c != Compact[matched]) return false;
        ++matched;
    }
    return matched == Compact.size();
}

bool RecordFileReader::IsTwoChannelRecord(std::string_view line) {
    long fields = std::count(line.begin(), line.end(), '\t') + 1;
    if (line.ends_with('\t')) fields -= 1;  // a list save closes every cell with a TAB
    return fields >= 6;
}
