#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "LoggerMemory.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

int OpenRaw(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    tcflush(fd, TCIOFLUSH);
    return fd;
}

// Reads whatever comes until `done` holds for what was read, or 10 s pass.
Bytes ReadUntil(int fd, const std::function<bool(const Bytes&)>& done) {
    Bytes got;
    auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done(got) && Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        std::uint8_t buf[4096];
        ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
}

bool Contains(const Bytes& hay, const Bytes& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

std::vector<Bytes> FramesIn(const Bytes& bytes) {
    std::vector<Bytes> frames;
    for (std::size_t i = 0; i + 9 <= bytes.size(); ++i)
        if (bytes[i] == 0x02 && bytes[i + 8] == 0x03) {
            frames.emplace_back(bytes.begin() + static_cast<long>(i),
                                bytes.begin() + static_cast<long>(i) + 9);
            i += 8;
        }
    return frames;
}

std::string LinkTarget(const std::string& link) {
    char buf[4096];
    ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

struct RunResult {
    int status = -1;
    std::string errors;
};

// Runs the simulator to its end with stderr captured.
RunResult RunSimulator(std::vector<std::string> args) {
    RunResult result;
    const char* binary = std::getenv("TQ36_METERSIM");
    if (!binary) return result;
    args.insert(args.begin(), binary);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int err[2];
    if (pipe(err) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(err[1], STDERR_FILENO);
        close(err[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(err[1]);
    char buf[1024];
    for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;)
        result.errors.append(buf, static_cast<std::size_t>(n));
    close(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class MetersimEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(std::getenv("TQ36_METERSIM"), nullptr); }
    std::string WriteFile(const std::string& name, const Bytes& bytes) {
        std::string path = ports_.Path() + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    TempPortsDir ports_;
};

TEST_F(MetersimEndToEnd, StreamsFramesAndAnswersTheLoggerCommandsOverThePort) {
    // Two sets; the records hold 02 and 03 bytes, which must pass unchanged.
    const Bytes memory = {0x00, 0x55, 0xAA, 0x00, 0x0A,              // set 1, every 10 s
                          0x00, 0x00, 0xEB, 0x00, 0x00, 0xD2, 0x00,  //
                          0x80, 0x02, 0x03, 0x20, 0x00, 0x00, 0x00,  //
                          0x00, 0x55, 0xAA, 0x00, 0x01,              // set 2, every second
                          0x01, 0x03, 0x02, 0xFF, 0x00, 0x00, 0x06};
    std::string memoryFile = WriteFile("memory.bin", memory);
    SimulatedMeter meter(5, {"--memory", memoryFile, "--channels", "1", "--unit", "F", "--t1", "-12.5",
                             "--type", "E", "--rate", "5"});
    ASSERT_TRUE(meter.Start());
    EXPECT_EQ(meter.DevicePath().rfind("/dev/pts/", 0), 0u) << meter.DevicePath();
    EXPECT_EQ(LinkTarget(ports_.Path() + "/COM5"), meter.DevicePath());

    int fd = OpenRaw(meter.AliasPath());
    ASSERT_GE(fd, 0);
    Bytes stream = ReadUntil(fd, [](const Bytes& b) { return FramesIn(b).size() >= 3; });
    std::vector<Bytes> frames = FramesIn(stream);
    ASSERT_GE(frames.size(), 3u);
    for (const Bytes& f : frames) EXPECT_EQ(f, (Bytes{0x02, 0x81, 0x00, 0x7D, 0xFF, 0x00, 0x00, 0x02, 0x03}));

    const Bytes sizeReply = {0x02, 0x00, 0x8C, 0x9F, 0x03};  // 35968 + 31
    ASSERT_EQ(write(fd, "A", 1), 1);
    EXPECT_TRUE(Contains(ReadUntil(fd, [&](const Bytes& b) { return Contains(b, sizeReply); }), sizeReply));

    const Bytes dumpReply = LoggerMemory::DumpReply(memory);
    ASSERT_EQ(write(fd, "U", 1), 1);
    EXPECT_TRUE(Contains(ReadUntil(fd, [&](const Bytes& b) { return Contains(b, dumpReply); }), dumpReply));

    // Live frames come back after the dump.
    EXPECT_FALSE(FramesIn(ReadUntil(fd, [](const Bytes& b) { return !FramesIn(b).empty(); })).empty());
    close(fd);

    EXPECT_EQ(meter.Stop(), 0);
    struct stat st;
    EXPECT_NE(lstat((ports_.Path() + "/COM5").c_str(), &st), 0) << "the link is removed on exit";
}

TEST_F(MetersimEndToEnd, ReplacesAStaleLinkButNeverAnotherFile) {
    std::string stale = ports_.Path() + "/COM6";
    ASSERT_EQ(symlink("/dev/pts/no-such-terminal", stale.c_str()), 0);
    {
        SimulatedMeter meter(6);
        ASSERT_TRUE(meter.Start());
        EXPECT_EQ(LinkTarget(stale), meter.DevicePath());
        EXPECT_EQ(meter.Stop(), 0);
    }

    std::string userFile = WriteFile("COM7", {'k', 'e', 'e', 'p'});
    SimulatedMeter refused(7);
    EXPECT_FALSE(refused.Start());
    std::ifstream in(userFile);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "keep");
}

TEST_F(MetersimEndToEnd, CreatesTheAliasFolderWhenMissing) {
    std::string nested = ports_.Path() + "/deeper/ports";
    setenv("TQ36_PORTS_DIR", nested.c_str(), 1);
    SimulatedMeter meter(9);
    ASSERT_TRUE(meter.Start());
    EXPECT_EQ(LinkTarget(nested + "/COM9"), meter.DevicePath());
    EXPECT_EQ(meter.Stop(), 0);
}

TEST_F(MetersimEndToEnd, BadCommandLinesPrintUsageAndExitWith2) {
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--com", "1", "--bogus", "1"}, {"--channels", "2"}, {"--com", "1", "--unit", "X"}}) {
        RunResult r = RunSimulator(args);
        EXPECT_EQ(r.status, 2) << r.errors;
        EXPECT_NE(r.errors.find("usage: tq36-metersim --com N"), std::string::npos) << r.errors;
    }
    RunResult unknown = RunSimulator({"--com", "1", "--bogus", "1"});
    EXPECT_NE(unknown.errors.find("unknown option '--bogus'"), std::string::npos) << unknown.errors;
}

}  // namespace
