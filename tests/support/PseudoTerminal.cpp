#include "PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "serial/PortNames.h"

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    slavePath_ = ptsname(master_);
}

PseudoTerminal::~PseudoTerminal() { Close(); }

void PseudoTerminal::LinkAs(int number) const {
    std::string link = PortNames::AliasPath(number);
    std::remove(link.c_str());
    if (symlink(slavePath_.c_str(), link.c_str()) != 0) throw std::runtime_error("no alias link");
}

void PseudoTerminal::Send(const std::vector<std::uint8_t>& bytes) const {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else {
            pollfd watch{master_, POLLOUT, 0};
            if (poll(&watch, 1, 10000) <= 0) throw std::runtime_error("pseudo-terminal stalled");
        }
    }
}

std::vector<std::uint8_t> PseudoTerminal::Receive(std::size_t count, std::chrono::milliseconds wait) const {
    std::vector<std::uint8_t> bytes;
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd watch{master_, POLLIN, 0};
        if (poll(&watch, 1, 50) <= 0) continue;
        std::uint8_t chunk[4096];
        ssize_t n = read(master_, chunk, sizeof chunk);
        if (n > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

std::vector<std::uint8_t> PseudoTerminal::ReceiveNow() const {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    ssize_t n = 0;
    while ((n = read(master_, chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    return bytes;
}

void PseudoTerminal::Close() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}
