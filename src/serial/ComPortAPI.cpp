#include "serial/ComPortAPI.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>

#include "serial/ModeString.h"
#include "serial/PortNames.h"

namespace {

constexpr int QueueSize = 2048;
// A write may take a second plus 10 ms per byte before it gives up with what went out.
constexpr std::chrono::milliseconds WriteTimeoutConstant{1000};
constexpr std::chrono::milliseconds WriteTimeoutPerByte{10};

bool IsPseudoTerminal(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    unsigned deviceMajor = major(st.st_rdev);
    // Unix98 pty slaves use majors 136 to 143, the old BSD ones major 3.
    return (deviceMajor >= 136 && deviceMajor <= 143) || deviceMajor == 3;
}

std::string ResolvedPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string result(real);
    std::free(real);
    return result;
}

// Writes all of data unless the line stalls past the write timeout; then the count that went out
// is the result, as a serial write that timed out is not an error. errorCode is 0 unless the
// system refused the write.
std::size_t WriteWithTimeout(int fd, const std::vector<std::uint8_t>& data, int& errorCode) {
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + WriteTimeoutConstant + WriteTimeoutPerByte * static_cast<long>(data.size());
    std::size_t written = 0;
    errorCode = 0;
    while (written < data.size()) {
        ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            errorCode = errno;
            return written;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return written;
        pollfd watch{fd, POLLOUT, 0};
        if (poll(&watch, 1, static_cast<int>(std::min<long>(left.count(), INT_MAX))) < 0 && errno != EINTR) {
            errorCode = errno;
            return written;
        }
    }
    return written;
}

}  // namespace

ComPortAPI::~ComPortAPI() {
    for (PortEntry& entry : ports_) {
        if (entry.open) Release(entry);
    }
}

void ComPortAPI::Init_API() {
    inBufferSize_ = QueueSize;
    outBufferSize_ = QueueSize;
}

void ComPortAPI::SetInBuffer(int size) { inBufferSize_ = size; }
int ComPortAPI::GetInBuffer() const { return inBufferSize_; }
void ComPortAPI::SetOutBuffer(int size) { outBufferSize_ = size; }
int ComPortAPI::GetOutBuffer() const { return outBufferSize_; }

long ComPortAPI::IsActivity(int DevId) const { return Entry(DevId).handle; }
bool ComPortAPI::IsOpen(int DevId) const { return Entry(DevId).open; }

int ComPortAPI::Descriptor(int DevId) const {
    const PortEntry& entry = Entry(DevId);
    return entry.open ? entry.fd : -1;
}

bool ComPortAPI::IsPortWithoutUart(int DevId) const {
    const PortEntry& entry = Entry(DevId);
    if (!entry.open || entry.device.rfind("/dev/ttyS", 0) != 0) return false;
    serial_struct info{};
    return ioctl(entry.fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN;
}

std::string ComPortAPI::GetSystemMessage(long lngErrorCode) const {
    std::string text = std::strerror(static_cast<int>(lngErrorCode));
    text = text.substr(0, std::min(text.find('\0'), std::size_t{255}));
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

long ComPortAPI::CommOpen(int intPortID, const std::string& strPort, const std::string& strSettings) {
    try {
        PortEntry& entry = Entry(intPortID);
        if (entry.open) {
            lastErrorCode_ = -1;
            lastErrorSource_ = "CommOpen";
            lastErrorMessage_ = "Port in use.";
            return -2;
        }

        // The name says which device; the number is only the key of the port's state here.
        std::optional<std::string> path = PortNames::DevicePathOfName(strPort);
        const std::string named = path ? ResolvedPath(*path) : "";
        if (path) path = FollowAdapter(entry, strPort, named);
        int fd = -1;
        if (path) {
            fd = open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        } else {
            errno = ENOENT;
        }
        // Serial programs take an exclusive lock on the device they use: one that another
        // program holds (root is not kept out by TIOCEXCL, nor is a program that came first) is
        // refused as busy, like a device the system itself refuses so. That is a failure of the
        // open as any other; only a port this driver holds is "in use" (above).
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int lockError = errno;
            close(fd);
            fd = -1;
            errno = lockError == EWOULDBLOCK ? EBUSY : lockError;
        }
        entry.handle = fd >= 0 ? fd + 1 : -1;
        if (fd < 0) return RecordSystemError("CommOpen (CreateFile)", errno);

        // Nobody else may open the port while we hold it; a non-tty refuses this and fails below.
        ioctl(fd, TIOCEXCL);
        entry.fd = fd;
        entry.open = true;
        entry.pseudoTerminal = IsPseudoTerminal(fd);
        entry.device = ResolvedPath(*path);
        entry.openedName = strPort;
        entry.namedDevice = named;
        entry.byId = PortNames::ByIdNameOf(entry.device).value_or("");
        entry.haveSaved = false;
        entry.counters = {};
        ioctl(fd, TIOCGICOUNT, &entry.counters);

        // The kernel sizes the queues itself, so there is nothing to set up for them, and the
        // timeouts are applied by CommWrite's poll.
        if (tcflush(fd, TCIOFLUSH) != 0 && !Tolerated(entry, errno)) {
            return RecordSystemError("CommOpen (PurgeComm)", errno);
        }
        return ApplySettings(entry, strSettings, "CommOpen");
    } catch (const std::exception& fault) {
        return RecordFault("CommOpen", fault);
    }
}

std::string ComPortAPI::FollowAdapter(const PortEntry& entry, const std::string& name, const std::string& named) {
    // An adapter replugged while we held it comes back on another node, and the node its name
    // led to is gone or carries some other device by then: the port goes where the adapter's
    // by-id link leads now. A name that leads somewhere else than last time (an alias the user
    // changed) keeps its meaning, as does a port whose device never had a by-id link.
    if (entry.byId.empty() || name != entry.openedName) return named;
    std::optional<std::string> adapter = PortNames::ByIdDevice(entry.byId);
    if (!adapter || *adapter == named) return named;
    struct stat st;
    const bool missing = stat(named.c_str(), &st) != 0;
    return missing || named == entry.namedDevice ? *adapter : named;
}

long ComPortAPI::CommSet(int intPortID, const std::string& strSettings) {
    try {
        return ApplySettings(Entry(intPortID), strSettings, "CommSet");
    } catch (const std::exception& fault) {
        return RecordFault("CommSet", fault);
    }
}

long ComPortAPI::ApplySettings(PortEntry& entry, const std::string& strSettings, const std::string& label) {
    if (tcgetattr(entry.fd, &entry.control) != 0) {
        return RecordSystemError(label + " (GetCommState)", errno);
    }
    if (!entry.haveSaved) {
        entry.saved = entry.control;
        entry.haveSaved = true;
    }
    std::optional<ModeString> mode = ModeString::Parse(strSettings);
    if (!mode) return RecordSystemError(label + " (BuildCommDCB)", EINVAL);
    mode->ApplyTo(entry.control);
    if (tcsetattr(entry.fd, TCSANOW, &entry.control) != 0 && !Tolerated(entry, errno)) {
        return RecordSystemError(label + " (SetCommState)", errno);
    }
    return 0;
}

long ComPortAPI::CommClose(int intPortID) {
    try {
        PortEntry& entry = Entry(intPortID);
        if (!entry.open) return 0;
        // Linux frees the descriptor even when close reports an error, so the port counts as
        // closed either way; keeping it "open" would point later calls at a reused descriptor.
        int code = Release(entry);
        return code == 0 ? 0 : RecordSystemError("CommClose (CloseHandle)", code);
    } catch (const std::exception& fault) {
        return RecordFault("CommClose", fault);
    }
}

int ComPortAPI::Release(PortEntry& entry) {
    if (entry.haveSaved) tcsetattr(entry.fd, TCSANOW, &entry.saved);
    ioctl(entry.fd, TIOCNXCL);
    int code = close(entry.fd) == 0 ? 0 : errno;
    entry.fd = -1;
    entry.open = false;
    entry.haveSaved = false;
    return code;
}

long ComPortAPI::CommFlush(int intPortID) {
    try {
        PortEntry& entry = Entry(intPortID);
        if (tcflush(entry.fd, TCIOFLUSH) != 0 && !Tolerated(entry, errno)) {
            return RecordSystemError("CommFlush (PurgeComm)", errno);
        }
        return 0;
    } catch (const std::exception& fault) {
        return RecordFault("CommFlush", fault);
    }
}

long ComPortAPI::IsInBuffSize(int DevId) {
    try {
        PortEntry& entry = Entry(DevId);
        int queued = 0;
        if (ioctl(entry.fd, FIONREAD, &queued) != 0) {
            RecordSystemError("InBufferCount (InBufferCountError)", errno);
            return 0;
        }
        return std::max(queued, 0);
    } catch (const std::exception& fault) {
        RecordFault("CommRead", fault);
        return 0;
    }
}

long ComPortAPI::CommRead(int intPortID, std::vector<std::uint8_t>& strData, long lngSize) {
    (void)lngSize;  // one call always returns everything that was queued
    try {
        PortEntry& entry = Entry(intPortID);
        int queued = 0;
        if (ioctl(entry.fd, FIONREAD, &queued) != 0) {
            RecordSystemError("CommRead (ClearCommError)", errno);
            return -1;
        }
        if (queued <= 0) return 0;
        std::vector<std::uint8_t> data(static_cast<std::size_t>(queued));
        ssize_t got = read(entry.fd, data.data(), data.size());
        if (got < 0) {
            if (errno == EAGAIN || errno == EINTR) return 0;
            RecordLineError("CommRead (ReadFile)", errno, entry);
            return -1;
        }
        if (got == 0) return 0;
        data.resize(static_cast<std::size_t>(got));
        strData = std::move(data);
        return got;
    } catch (const std::exception& fault) {
        RecordFault("CommRead", fault);
        return -1;
    }
}

long ComPortAPI::CommWrite(int intPortID, const std::vector<std::uint8_t>& strData) {
    std::size_t written = 0;
    try {
        PortEntry& entry = Entry(intPortID);
        int errorCode = 0;
        written = WriteWithTimeout(entry.fd, strData, errorCode);
        if (errorCode != 0) {
            RecordLineError("CommWrite (WriteFile)", errorCode, entry);
            return -1;
        }
        return static_cast<long>(written);
    } catch (const std::exception& fault) {
        RecordFault("CommWrite", fault);
        return static_cast<long>(written);
    }
}

long ComPortAPI::CommGetLine(int intPortID, int intLine, bool& blnState) {
    try {
        PortEntry& entry = Entry(intPortID);
        int bits = 0;
        if (ioctl(entry.fd, TIOCMGET, &bits) != 0) {
            if (!Tolerated(entry, errno)) {
                return RecordSystemError("CommReadCD (GetCommModemStatus)", errno);
            }
            bits = 0;  // a pseudo-terminal has no modem lines: all of them are low
        }
        int status = ((bits & TIOCM_CTS) ? LineCTS : 0) | ((bits & TIOCM_DSR) ? LineDSR : 0) |
                     ((bits & TIOCM_RNG) ? LineRing : 0) | ((bits & TIOCM_CAR) ? LineCarrier : 0);
        blnState = (intLine & status) != 0;
        return 0;
    } catch (const std::exception& fault) {
        return RecordFault("CommReadCD", fault);
    }
}

long ComPortAPI::CommSetLine(int intPortID, int intLine, long blnState) {
    try {
        PortEntry& entry = Entry(intPortID);
        if (intLine != SetBreak && intLine != SetDTR && intLine != SetRTS) {
            return RecordSystemError("CommSetLine (EscapeCommFunction)", EINVAL);
        }
        const bool on = blnState != 0;
        int result = 0;
        if (intLine == SetBreak) {
            result = ioctl(entry.fd, on ? TIOCSBRK : TIOCCBRK);
        } else {
            int bits = intLine == SetDTR ? TIOCM_DTR : TIOCM_RTS;
            result = ioctl(entry.fd, on ? TIOCMBIS : TIOCMBIC, &bits);
        }
        if (result != 0 && !Tolerated(entry, errno)) {
            return RecordSystemError("CommSetLine (EscapeCommFunction)", errno);
        }
        return 0;
    } catch (const std::exception& fault) {
        return RecordFault("CommSetLine", fault);
    }
}

long ComPortAPI::CommGetError(std::string& strMessage) const {
    strMessage =
        "Error (" + std::to_string(lastErrorCode_) + "): " + lastErrorSource_ + " - " + lastErrorMessage_;
    return lastErrorCode_;
}

long ComPortAPI::RecordSystemError(const std::string& source, int code) {
    lastErrorCode_ = code;
    lastErrorSource_ = source;
    lastErrorMessage_ = GetSystemMessage(code);
    return code;
}

long ComPortAPI::RecordLineError(const std::string& source, int code, PortEntry& entry) {
    RecordSystemError(source, code);
    char flags[16];
    std::snprintf(flags, sizeof flags, "%X", TakeLineErrors(entry));
    lastErrorMessage_ += "  COMM Error Flags = ";
    lastErrorMessage_ += flags;
    return code;
}

long ComPortAPI::RecordFault(const std::string& source, const std::exception& fault) {
    long code = 5;
    std::string message = "Invalid procedure call or argument";
    if (dynamic_cast<const std::out_of_range*>(&fault)) {
        code = FaultSubscript;
        message = "Subscript out of range";
    } else if (dynamic_cast<const std::bad_alloc*>(&fault)) {
        code = 7;
        message = "Out of memory";
    }
    lastErrorCode_ = code;
    lastErrorSource_ = source;
    lastErrorMessage_ = message;
    return code;
}

unsigned ComPortAPI::TakeLineErrors(PortEntry& entry) {
    // The counters only grow; what grew since the last look are the errors not yet reported.
    serial_icounter_struct now{};
    if (!entry.open || ioctl(entry.fd, TIOCGICOUNT, &now) != 0) return 0;
    const serial_icounter_struct& before = entry.counters;
    unsigned flags = (now.buf_overrun > before.buf_overrun ? ErrorQueueOverrun : 0) |
                     (now.overrun > before.overrun ? ErrorOverrun : 0) |
                     (now.parity > before.parity ? ErrorParity : 0) |
                     (now.frame > before.frame ? ErrorFrame : 0) | (now.brk > before.brk ? ErrorBreak : 0);
    entry.counters = now;
    return flags;
}

bool ComPortAPI::Tolerated(const PortEntry& entry, int code) const {
    // Pseudo-terminals stand in for meters but refuse modem lines and some settings.
    return entry.pseudoTerminal && (code == EINVAL || code == ENOTTY || code == EOPNOTSUPP);
}

ComPortAPI::PortEntry& ComPortAPI::Entry(int port) {
    if (port < 0 || port > MaxPort) throw std::out_of_range("port number outside 0 to 256");
    return ports_[static_cast<std::size_t>(port)];
}

const ComPortAPI::PortEntry& ComPortAPI::Entry(int port) const {
    if (port < 0 || port > MaxPort) throw std::out_of_range("port number outside 0 to 256");
    return ports_[static_cast<std::size_t>(port)];
}
