#include "records/RecordFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The first LF, CR or NUL in [from, to), or `to`. Eight bytes at a time: a file of a million
// records is mostly runs of ordinary bytes.
const char* FirstBreak(const char* from, const char* to) {
    constexpr std::uint64_t Ones = 0x0101010101010101, Highs = 0x8080808080808080;
    const auto anyZero = [](std::uint64_t word) { return (word - Ones) & ~word & Highs; };
    while (to - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        if (anyZero(word) | anyZero(word ^ (Ones * '\n')) | anyZero(word ^ (Ones * '\r'))) break;
        from += 8;
    }
    while (from < to && *from != '\n' && *from != '\r' && *from != '\0') ++from;
    return from;
}
}  // namespace

RecordFileReader::RecordFileReader(ReadFunction read) : read_(read ? std::move(read) : ReadFunction(::read)) {}

RecordFileReader::~RecordFileReader() {
    if (fd_ >= 0) ::close(fd_);
}

void RecordFileReader::Fail(int code) {
    failed_ = true;
    errorText_ = std::strerror(code);
}

bool RecordFileReader::Open(const std::string& path) {
    // Without blocking: opening a FIFO that has no writer would otherwise wait for one.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        errorText_ = std::strerror(errno);
        return false;
    }
    struct stat st{};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        notRegular_ = true;
        errorText_ = "not a regular file";
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool RecordFileReader::Fill() {
    if (ended_ || failed_ || fd_ < 0) return false;
    for (;;) {
        const ssize_t got = read_(fd_, buffer_, sizeof buffer_);
        if (got > 0) {
            begin_ = 0;
            end_ = static_cast<std::size_t>(got);
            if (atStart_) SkipByteOrderMark();
            // A read that brought only the byte-order mark, or a part of it, leaves nothing to hand out yet.
            if (begin_ < end_) return true;
            continue;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) {
            ended_ = true;
            if (atStart_) EndByteOrderMark(false);
        } else {
            Fail(errno);
        }
        return false;
    }
}

// A read may bring fewer bytes than asked, so the mark may come split over reads: its bytes are
// held back until it is whole, or until a byte that does not belong to it shows they were text.
void RecordFileReader::SkipByteOrderMark() {
    while (begin_ < end_ && markBytes_ < ByteOrderMark.size() && buffer_[begin_] == ByteOrderMark[markBytes_]) {
        ++begin_;
        ++markBytes_;
    }
    if (markBytes_ == ByteOrderMark.size()) EndByteOrderMark(true);
    else if (begin_ < end_) EndByteOrderMark(false);
}

void RecordFileReader::EndByteOrderMark(bool whole) {
    if (!whole) line_.assign(ByteOrderMark.substr(0, markBytes_));
    atStart_ = false;
}

std::optional<std::string> RecordFileReader::NextLine(std::size_t budget) {
    std::string line;
    if (!NextLine(line, budget)) return std::nullopt;
    return line;
}

bool RecordFileReader::NextLine(std::string& line, std::size_t budget) {
    if (!ReadLine(budget)) return false;
    cut_ = std::exchange(cutting_, false);
    line.swap(line_);
    line_.clear();
    return true;
}

bool RecordFileReader::ReadLine(std::size_t budget) {
    pending_ = false;
    for (std::size_t read = 0;; ++read) {
        if (read == budget) {
            pending_ = true;
            return false;
        }
        if (begin_ == end_ && !Fill()) break;
        // A run of ordinary bytes goes into the line at once.
        const std::size_t limit = begin_ + std::min(end_ - begin_, budget - read);
        const std::size_t stop = static_cast<std::size_t>(FirstBreak(buffer_ + begin_, buffer_ + limit) - buffer_);
        if (stop > begin_) {
            const std::size_t run = stop - begin_, room = MaxLineBytes - std::min(line_.size(), MaxLineBytes);
            line_.append(buffer_ + begin_, std::min(run, room));
            if (run > room) cutting_ = true;
            afterCr_ = false;
            begin_ = stop;
            read += run - 1;  // the loop counts one more
            continue;
        }
        const char c = buffer_[begin_++];
        if (c == '\n' && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = c == '\r';
        if (c == '\n' || c == '\r') {
            if (!line_.empty()) return true;
            ++emptyLines_;  // an empty line is left out
            continue;
        }
        if (c == '\0') continue;
        if (line_.size() < MaxLineBytes) {
            line_.push_back(c);
        } else {
            cutting_ = true;
        }
    }
    return !line_.empty();
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
