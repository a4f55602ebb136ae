#include "records/RecordWriter.h"

#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "records/FileSizeLimit.h"
#include "records/RecordFormat.h"

RecordWriter::~RecordWriter() { Close(); }

bool RecordWriter::Fail(int code) {
    errorCode_ = code;
    errorText_ = std::strerror(code);
    return false;
}

bool RecordWriter::Open(const std::string& path) {
    // A file size limit must refuse the write (EFBIG), which stops the recording with a message,
    // also where no program start has seen to it (the tests, the benchmarks).
    IgnoreFileSizeSignal();
    Close();
    wholeLinesEnd_ = 0;
    errorCode_ = 0;
    errorText_.clear();
    path_ = path;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return fd_ >= 0 || Fail(errno);
}

bool RecordWriter::WriteLine(std::string_view line) {
    if (fd_ < 0) return Fail(EBADF);
    // Line and line end in one system call, without copying the line; short writes continue.
    iovec parts[2] = {{const_cast<char*>(line.data()), line.size()},
                      {const_cast<char*>(RecordFormat::LineEnd.data()), RecordFormat::LineEnd.size()}};
    iovec* part = parts;
    int count = 2;
    while (count > 0) {
        ssize_t written = ::writev(fd_, part, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return FailMidLine(errno);
        }
        if (written == 0) return FailMidLine(EIO);  // nothing taken although CR LF is always left
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= part->iov_len) {
            left -= part->iov_len;
            ++part;
            --count;
        }
        if (count > 0) {
            part->iov_base = static_cast<char*>(part->iov_base) + left;
            part->iov_len -= left;
        }
    }
    wholeLinesEnd_ += static_cast<off_t>(line.size() + RecordFormat::LineEnd.size());
    return true;
}

// The file keeps whole lines only: what a refused write left of its line is cut off again.
bool RecordWriter::FailMidLine(int code) {
    if (::ftruncate(fd_, wholeLinesEnd_) == 0) ::lseek(fd_, wholeLinesEnd_, SEEK_SET);
    return Fail(code);
}

bool RecordWriter::Close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    // close may report a failed write-back (full disk on a network share); the descriptor is
    // released either way, so it is never retried.
    return ::close(fd) == 0 || Fail(errno);
}
