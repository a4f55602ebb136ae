#include "records/RecordWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "records/FileSizeLimit.h"
#include "records/RecordFormat.h"

namespace {

// Writing into a FIFO waits for a reader; a folder, a socket or a disk is no place for records.
// A character device (a terminal, /dev/null) takes lines as a file does.
bool IsNoPlaceToGrow(const struct stat& st) { return !S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode); }

// A name beside `target` that no other save uses: hidden, and unique per process and attempt. No
// longer than a name may be: a target name near the limit keeps as much of itself as fits (whole
// UTF-8 characters), so that a file that may exist can also be written.
std::string TemporaryBeside(const std::string& target) {
    static std::atomic<unsigned> serial{0};
    const std::filesystem::path path(target);
    const std::string unique = "." + std::to_string(::getpid()) + "-" + std::to_string(serial++) + ".tmp";
    std::string name = path.filename().string();
    const std::size_t room = NAME_MAX - 1 - unique.size();
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return (path.parent_path() / ("." + name + unique)).string();
}

// The lock of a growing regular file, `operation` LOCK_EX or LOCK_SH: 0 once held, InUse while
// another holds it. A file system that keeps no locks is written unlocked, as it was before locks.
int Lock(int fd, int operation) {
    if (::flock(fd, operation | LOCK_NB) == 0 || errno != EWOULDBLOCK) return 0;
    return RecordWriter::InUse;
}

}  // namespace

RecordWriter::~RecordWriter() { Close(); }

void RecordWriter::Reset(const std::string& path, Existing existing) {
    // A file size limit must refuse the write (EFBIG), which stops the recording with a message,
    // also where no program start has seen to it (the tests, the benchmarks).
    IgnoreFileSizeSignal();
    Close();
    wholeLinesEnd_ = 0;
    errorCode_ = 0;
    errorText_.clear();
    path_ = path;
    existing_ = existing;
    target_.clear();
}

bool RecordWriter::Fail(int code) {
    errorCode_ = code;
    if (code == NotAFile) {
        errorText_ = "not a regular file";
    } else if (code == InUse) {
        errorText_ = "another recording writes it";
    } else {
        errorText_ = std::strerror(code);
    }
    return false;
}

int RecordWriter::ObstacleToGrowing(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISREG(st.st_mode)) return IsNoPlaceToGrow(st) ? NotAFile : 0;
    // Opened as Open opens it, without emptying it; the shared lock, held for a moment, only
    // shows whether a recording holds the file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno;
    const int code = Lock(fd, LOCK_SH);
    ::close(fd);
    return code;
}

bool RecordWriter::Open(const std::string& path, Existing existing) {
    Reset(path, existing);
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0 && IsNoPlaceToGrow(st)) return Fail(NotAFile);
    // Without waiting: a FIFO put there meanwhile fails at once instead of holding the program.
    // Not emptied on opening: only once the lock shows that no other recording writes it.
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (existing == Existing::Keep ? O_EXCL : 0);
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) return Fail(errno);
    int code = 0;
    if (::fstat(fd_, &st) != 0 || IsNoPlaceToGrow(st)) {
        code = NotAFile;
    } else if (S_ISREG(st.st_mode)) {
        code = Lock(fd_, LOCK_EX);
        if (code == 0 && existing == Existing::Replace && ::ftruncate(fd_, 0) != 0) code = errno;
    }
    if (code != 0) {
        ::close(fd_);
        fd_ = -1;
        return Fail(code);
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

bool RecordWriter::OpenWhole(const std::string& path, Existing existing) {
    Reset(path, existing);
    std::error_code error;
    const std::filesystem::path followed = std::filesystem::is_symlink(path, error)
                                               ? std::filesystem::canonical(path, error)
                                               : std::filesystem::path(path);
    target_ = error ? path : followed.string();
    struct stat st{};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists) {
        // Put in place, the new file would replace a device or FIFO itself, not write into it.
        if (!S_ISREG(st.st_mode)) return Fail(NotAFile);
        if (existing == Existing::Keep) return Fail(EEXIST);
        // Written into, a read-only file would refuse; replaced, it must refuse as well.
        if (::access(target_.c_str(), W_OK) != 0) return Fail(errno);
    }
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = TemporaryBeside(target_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        return Fail(errno);
    }
    if (exists) ::fchmod(fd_, st.st_mode & 0777);
    return true;
}

bool RecordWriter::WriteLine(std::string_view line) {
    // Line and line end in one system call, without copying the line.
    iovec parts[2] = {{const_cast<char*>(line.data()), line.size()},
                      {const_cast<char*>(RecordFormat::LineEnd.data()), RecordFormat::LineEnd.size()}};
    return WriteParts(parts, 2);
}

bool RecordWriter::WriteBytes(std::string_view bytes) {
    iovec part = {const_cast<char*>(bytes.data()), bytes.size()};
    return bytes.empty() || WriteParts(&part, 1);
}

// Short writes continue; a refused one leaves the file as it was before these parts.
bool RecordWriter::WriteParts(iovec* part, int count) {
    if (fd_ < 0) return Fail(EBADF);
    std::size_t total = 0;
    for (int i = 0; i < count; ++i) total += part[i].iov_len;
    while (count > 0) {
        ssize_t written = ::writev(fd_, part, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return FailMidLine(errno);
        }
        if (written == 0) return FailMidLine(EIO);  // nothing taken although something is left
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
    wholeLinesEnd_ += static_cast<off_t>(total);
    return true;
}

// The file keeps whole lines only: what a refused write left of its line is cut off again.
bool RecordWriter::FailMidLine(int code) {
    if (::ftruncate(fd_, wholeLinesEnd_) == 0) ::lseek(fd_, wholeLinesEnd_, SEEK_SET);
    return Fail(code);
}

bool RecordWriter::Finish() {
    if (temporary_.empty()) return Fail(EBADF);
    if (errorCode_ != 0) return false;  // a line was refused: the file is not whole
    if (fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    // A full disk may show only when the lines reach it; the old file must not go for them before.
    if (::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return Fail(code);
    }
    return ::close(fd) == 0 || Fail(errno);
}

bool RecordWriter::Commit() {
    if (!Finish()) return false;
    if (!PutInPlace()) return Fail(errno);
    temporary_.clear();
    return true;
}

bool RecordWriter::PutInPlace() {
    if (existing_ == Existing::Replace) return std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system that cannot refuse atomically: looked at just before.
    struct stat st{};
    if (::lstat(target_.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(temporary_.c_str(), target_.c_str()) == 0;
}

bool RecordWriter::Close() {
    if (!temporary_.empty()) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    // close may report a failed write-back (full disk on a network share); the descriptor is
    // released either way, so it is never retried.
    return ::close(fd) == 0 || Fail(errno);
}
