#include "BenchMeter.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <stdexcept>

#include "FrameEncoder.h"
#include "SimOptions.h"
#include "serial/PortNames.h"

namespace {

SimOptions Options(const std::vector<std::string>& args) {
    ParseOutcome parsed = ParseOptions(args);
    if (parsed.status != ParseOutcome::Status::Run)
        throw std::runtime_error("meter options: " + parsed.error);
    return parsed.options;
}

}  // namespace

BenchMeter::BenchMeter(int com, const std::vector<std::string>& simulatorArgs)
    : session_(Options(simulatorArgs)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error("no pseudo-terminal");
    const std::string slavePath = ptsname(master_);
    slave_ = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) throw std::runtime_error("cannot open " + slavePath);
    // Raw, so that nothing the meter sends is echoed back as if the PC had sent it.
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    const std::string link = PortNames::AliasPath(com);
    std::remove(link.c_str());
    if (symlink(slavePath.c_str(), link.c_str()) != 0) throw std::runtime_error("cannot link " + link);
}

BenchMeter::~BenchMeter() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

void BenchMeter::Serve() {
    std::array<std::uint8_t, 4096> received;
    for (ssize_t n; (n = read(master_, received.data(), received.size())) > 0;)
        session_.Receive(std::span(received.data(), static_cast<std::size_t>(n)), now_);
    const std::span<const std::uint8_t> due = session_.Due(now_);
    if (due.empty()) return;
    const ssize_t written = write(master_, due.data(), due.size());
    if (written > 0) session_.Written(static_cast<std::size_t>(written));
}

MeterFrame BenchMeter::Frame() const { return FrameEncoder::EncodeFrame(session_.Settings().SampleAt(now_)); }
