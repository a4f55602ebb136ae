// tq36-metersim: a pseudo-terminal that behaves like the TQ36 meter, linked as COM<N> in the alias
// folder. MeterSession decides every byte; this file only runs the device and the poll loop.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "MeterSession.h"
#include "SimOptions.h"
#include "serial/PortNames.h"

namespace {

struct PseudoTerminal {
    int master = -1;
    int slave = -1;
    std::string slavePath;
};

int Fail(const std::string& what) {
    std::cerr << "tq36-metersim: " << what << "\n";
    return 1;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool OpenPseudoTerminal(PseudoTerminal& pty, std::string& error) {
    pty.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    std::array<char, 128> name{};
    if (pty.master < 0 || grantpt(pty.master) != 0 || unlockpt(pty.master) != 0 ||
        ptsname_r(pty.master, name.data(), name.size()) != 0) {
        error = SystemError("cannot open a pseudo-terminal");
        return false;
    }
    pty.slavePath = name.data();
    // Holding the slave open keeps the master writable while no client has the port open.
    pty.slave = open(pty.slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (pty.slave < 0 || tcgetattr(pty.slave, &tio) != 0) {
        error = SystemError("cannot open " + pty.slavePath);
        return false;
    }
    // Raw, so frame bytes are never echoed back to us as if the PC had sent them.
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    if (tcsetattr(pty.slave, TCSANOW, &tio) != 0) {
        error = SystemError("cannot set " + pty.slavePath + " to raw mode");
        return false;
    }
    return true;
}

// Points COM<n> at the device, replacing an old link in one step; any other kind of file is left alone.
bool LinkAlias(const std::string& link, const std::string& target, std::string& error) {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(link).parent_path();
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder.string() + ": " + ec.message();
        return false;
    }
    struct stat st;
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a link; not replacing it";
        return false;
    }
    std::string temp = link + ".new" + std::to_string(getpid());
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), link.c_str()) != 0) {
        error = SystemError("cannot link " + link);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

// Removes the link only while it is still ours; another simulator may have taken the number since.
void UnlinkAlias(const std::string& link, const std::string& target) {
    std::array<char, 4096> buf{};
    ssize_t n = readlink(link.c_str(), buf.data(), buf.size() - 1);
    if (n > 0 && std::string(buf.data(), static_cast<std::size_t>(n)) == target) unlink(link.c_str());
}

int OpenSignalFd() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

// Tells when a client opens the device, so that frames written while nobody listened can be dropped,
// as they would be lost on a cable. Without inotify the simulator simply does without.
int WatchOpens(const std::string& path) {
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd >= 0 && inotify_add_watch(fd, path.c_str(), IN_OPEN) < 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

bool ClientOpened(int inotifyFd) {
    alignas(inotify_event) std::array<char, 4096> buf;
    bool opened = false;
    for (ssize_t n; (n = read(inotifyFd, buf.data(), buf.size())) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf.data() + at);
            opened = opened || (ev->mask & IN_OPEN);
            at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
    return opened;
}

// Writes what is due; true when the device took less than that (its queue is full).
bool Flush(int master, MeterSession& session, double now) {
    auto due = session.Due(now);
    if (due.empty()) return false;
    ssize_t n = write(master, due.data(), due.size());
    if (n > 0) session.Written(static_cast<std::size_t>(n));
    return n < static_cast<ssize_t>(due.size());
}

int Run(const SimOptions& options, const PseudoTerminal& pty, int signalFd, int inotifyFd) {
    MeterSession session(options);
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };

    double hungUpAt = -1;
    for (;;) {
        double now = elapsed();
        if (options.exitAfter && now >= *options.exitAfter) return 0;
        bool blocked = Flush(pty.master, session, now);
        if (session.HungUp()) {
            // Hanging up drops what the PC has not read yet: it gets the time to read it, so that
            // it receives exactly the bytes asked for. (The last bytes need a moment to reach
            // the other side's queue.)
            if (hungUpAt < 0) hungUpAt = now;
            int unread = 0;
            const bool read = ioctl(pty.slave, FIONREAD, &unread) == 0 && unread == 0;
            if ((read && now - hungUpAt >= 0.2) || now - hungUpAt >= 10) {
                std::cout << "tq36-metersim: hung up during the dump" << std::endl;
                return 0;
            }
        }

        double wake = session.NextWake(now);
        if (options.exitAfter) wake = std::min(wake, *options.exitAfter);
        if (hungUpAt >= 0) wake = std::min(wake, now + 0.02);
        int timeoutMs = static_cast<int>(std::clamp(std::ceil((wake - now) * 1000.0), 0.0, 1000.0));
        // A full queue makes the master writable again when a client reads; until then do not spin.
        if (blocked) timeoutMs = std::max(timeoutMs, 50);

        std::array<pollfd, 3> fds{{{pty.master, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                                   {signalFd, POLLIN, 0},
                                   {inotifyFd, POLLIN, 0}}};
        int ready = poll(fds.data(), inotifyFd >= 0 ? 3 : 2, timeoutMs);
        if (ready < 0 && errno != EINTR) return Fail(SystemError("poll"));
        if (ready <= 0) continue;
        if (fds[1].revents & POLLIN) return 0;
        if (inotifyFd >= 0 && (fds[2].revents & POLLIN) && ClientOpened(inotifyFd)) {
            tcflush(pty.slave, TCIFLUSH);
            session.LineReset();
        }
        if (fds[0].revents & POLLIN) {
            std::array<std::uint8_t, 4096> buf;
            ssize_t n = read(pty.master, buf.data(), buf.size());
            if (n > 0) session.Receive(std::span(buf.data(), static_cast<std::size_t>(n)), elapsed());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    ParseOutcome parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.status == ParseOutcome::Status::Help) {
        std::cout << UsageText();
        return 0;
    }
    if (parsed.status == ParseOutcome::Status::Error) {
        std::cerr << "tq36-metersim: " << parsed.error << "\n" << UsageText();
        return 2;
    }
    const SimOptions& options = parsed.options;

    int signalFd = OpenSignalFd();
    if (signalFd < 0) return Fail(SystemError("cannot watch for signals"));
    PseudoTerminal pty;
    std::string error;
    if (!OpenPseudoTerminal(pty, error)) return Fail(error);
    std::string link = PortNames::AliasPath(options.com);
    if (!LinkAlias(link, pty.slavePath, error)) return Fail(error);
    int inotifyFd = WatchOpens(pty.slavePath);

    std::cout << "tq36-metersim: COM" << options.com << " -> " << pty.slavePath << std::endl;
    int status = Run(options, pty, signalFd, inotifyFd);

    UnlinkAlias(link, pty.slavePath);
    if (inotifyFd >= 0) close(inotifyFd);
    close(pty.slave);
    close(pty.master);
    return status;
}
