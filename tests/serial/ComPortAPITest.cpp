#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "WaitUntil.h"
#include "serial/ComPortAPI.h"
#include "serial/Rs232_API.h"

namespace {

const std::string Settings = Rs232_API::MeterSettings;

std::string LastError(const ComPortAPI& driver) {
    std::string message;
    driver.CommGetError(message);
    return message;
}

std::size_t OpenDescriptorCount() {
    auto fds = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(fds, std::filesystem::directory_iterator()));
}

// Opens `path` in a child process that lacks CAP_SYS_ADMIN (the right to ignore exclusive use,
// which root has) and returns the errno of that open, 0 when it succeeded.
int OpenAsAnotherProgram(const std::string& path) {
    pid_t child = fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        syscall(SYS_capget, &header, caps);
        caps[0].effective &= ~(1u << CAP_SYS_ADMIN);
        syscall(SYS_capset, &header, caps);
        int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        _exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ComPortAPITest : public ::testing::Test {
  protected:
    void SetUp() override { driver.Init_API(); }

    // Opens a fresh pseudo-terminal as COM<number> through the driver.
    std::unique_ptr<PseudoTerminal> OpenMeter(int number) {
        auto meter = std::make_unique<PseudoTerminal>();
        meter->LinkAs(number);
        EXPECT_EQ(driver.CommOpen(number, "COM" + std::to_string(number), Settings), 0) << LastError(driver);
        return meter;
    }

    bool WaitQueued(int number, long count) {
        return WaitUntil([&] { return driver.IsInBuffSize(number) >= count; });
    }

    TempPortsDir folder;
    ComPortAPI driver;
};

TEST_F(ComPortAPITest, PortGoesFromNeverOpenedToOpenToClosedAndBack) {
    EXPECT_EQ(driver.IsActivity(4), 0);
    EXPECT_FALSE(driver.IsOpen(4));
    EXPECT_EQ(driver.CommClose(4), 0) << "closing a port that is not open is harmless";

    auto meter = OpenMeter(4);
    long handle = driver.IsActivity(4);
    EXPECT_GE(handle, 1);
    EXPECT_TRUE(driver.IsOpen(4));

    EXPECT_EQ(driver.CommClose(4), 0);
    EXPECT_FALSE(driver.IsOpen(4));
    EXPECT_EQ(driver.IsActivity(4), handle) << "a closed port keeps its old handle";
    EXPECT_EQ(driver.CommClose(4), 0);

    EXPECT_EQ(driver.CommOpen(4, "COM4", Settings), 0) << LastError(driver);
    EXPECT_TRUE(driver.IsOpen(4));
}

TEST_F(ComPortAPITest, SecondOpenReportsPortInUseAndKeepsTheFirstHandle) {
    auto meter = OpenMeter(6);
    long handle = driver.IsActivity(6);

    EXPECT_EQ(driver.CommOpen(6, "COM6", Settings), -2);
    EXPECT_EQ(LastError(driver), "Error (-1): CommOpen - Port in use.");
    EXPECT_EQ(driver.IsActivity(6), handle);
    EXPECT_TRUE(driver.IsOpen(6));

    meter->Send({0x02, 0x41});
    ASSERT_TRUE(WaitQueued(6, 2));
    std::vector<std::uint8_t> data;
    EXPECT_EQ(driver.CommRead(6, data, 2048), 2);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0x02, 0x41}));
}

TEST_F(ComPortAPITest, MissingDeviceFailsWithItsSystemError) {
    folder.LinkMissing(5);
    // 5 is a link to nothing; 150 has neither a link nor a table entry.
    for (int number : {5, 150}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(driver.CommOpen(number, "COM" + std::to_string(number), Settings), ENOENT);
        EXPECT_FALSE(driver.IsOpen(number));
        EXPECT_EQ(driver.IsActivity(number), -1);
        EXPECT_EQ(LastError(driver), "Error (2): CommOpen (CreateFile) - No such file or directory");
    }
}

TEST_F(ComPortAPITest, ReadWithNothingQueuedLeavesTheArrayAlone) {
    auto meter = OpenMeter(3);
    std::vector<std::uint8_t> data{0xAA, 0xBB};
    EXPECT_EQ(driver.CommRead(3, data, 2048), 0);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0xAA, 0xBB}));
    EXPECT_EQ(driver.IsInBuffSize(3), 0);
}

TEST_F(ComPortAPITest, ReadReturnsEverythingQueuedUntranslated) {
    auto meter = OpenMeter(3);
    // 0 to 36 holds the bytes a cooked terminal would eat or rewrite: ^C, ^D, CR, LF, XON, XOFF.
    std::vector<std::uint8_t> sent;
    for (std::uint8_t b = 0; b < 37; ++b) sent.push_back(b);
    meter->Send(sent);
    ASSERT_TRUE(WaitQueued(3, 37));
    EXPECT_EQ(driver.IsInBuffSize(3), 37);

    std::vector<std::uint8_t> data{0xAA};
    EXPECT_EQ(driver.CommRead(3, data, 1), 37) << "the size asked for is ignored";
    EXPECT_EQ(data, sent);
    EXPECT_EQ(driver.CommRead(3, data, 2048), 0);
}

TEST_F(ComPortAPITest, WriteReachesTheDeviceUntranslated) {
    auto meter = OpenMeter(8);
    std::vector<std::uint8_t> sent{'A', 0x0A, 0x0D, 0x00, 0xFF, 'U'};
    EXPECT_EQ(driver.CommWrite(8, sent), 6);
    EXPECT_EQ(meter->Receive(sent.size()), sent);
    EXPECT_EQ(driver.CommWrite(8, {}), 0);
}

TEST_F(ComPortAPITest, OpenSetsTheMeterLineAndCloseRestoresWhatItFound) {
    auto meter = std::make_unique<PseudoTerminal>();
    meter->LinkAs(2);
    // A descriptor of our own shows the terminal's settings while the driver holds it.
    int watcher = open(meter->SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);
    termios before{};
    ASSERT_EQ(tcgetattr(watcher, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);

    ASSERT_EQ(driver.CommOpen(2, "COM2", Settings), 0) << LastError(driver);
    termios line{};
    ASSERT_EQ(tcgetattr(watcher, &line), 0);
    EXPECT_EQ(cfgetispeed(&line), B9600);
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(line.c_cflag & (PARENB | CSTOPB));
    EXPECT_TRUE(line.c_cflag & CLOCAL);
    EXPECT_TRUE(line.c_cflag & CREAD);
    EXPECT_FALSE(line.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(line.c_oflag & OPOST);
    EXPECT_EQ(line.c_cc[VMIN], 0);
    EXPECT_EQ(line.c_cc[VTIME], 0);

    // A pseudo-terminal keeps 8 data bits whatever it is told, but takes the speed.
    EXPECT_EQ(driver.CommSet(2, "baud=19200 parity=E data=7 stop=2"), 0) << LastError(driver);
    ASSERT_EQ(tcgetattr(watcher, &line), 0);
    EXPECT_EQ(cfgetospeed(&line), B19200);

    EXPECT_EQ(driver.CommSet(2, "baud=9601"), EINVAL);
    EXPECT_EQ(LastError(driver), "Error (22): CommSet (BuildCommDCB) - Invalid argument");

    ASSERT_EQ(driver.CommClose(2), 0);
    termios after{};
    ASSERT_EQ(tcgetattr(watcher, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    close(watcher);
}

// Another program left both kinds of handshake on; the meter's settings turn them off.
TEST_F(ComPortAPITest, OpenTurnsOffFlowControlThatAnotherProgramLeftOn) {
    PseudoTerminal meter;
    meter.LinkAs(2);
    int watcher = open(meter.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(watcher, 0);
    termios line{};
    ASSERT_EQ(tcgetattr(watcher, &line), 0);
    line.c_cflag |= CRTSCTS;
    line.c_iflag |= IXON | IXOFF | IXANY;
    ASSERT_EQ(tcsetattr(watcher, TCSANOW, &line), 0);

    ASSERT_EQ(driver.CommOpen(2, "COM2", Settings), 0) << LastError(driver);
    ASSERT_EQ(tcgetattr(watcher, &line), 0);
    EXPECT_FALSE(line.c_cflag & CRTSCTS);
    EXPECT_FALSE(line.c_iflag & (IXON | IXOFF | IXANY));
    EXPECT_TRUE(line.c_cflag & CLOCAL);
    EXPECT_TRUE(line.c_cflag & CREAD);
    close(watcher);
}

// The name says which device opens; the number only keys the port's state.
TEST_F(ComPortAPITest, OpenFindsTheDeviceByTheGivenName) {
    PseudoTerminal seven;
    seven.LinkAs(7);
    PseudoTerminal unlinked;
    struct Case {
        int key;
        std::string name;
        const PseudoTerminal* device;
    };
    for (const Case& c : {Case{3, "COM7", &seven}, Case{4, "com7", &seven}, Case{5, unlinked.SlavePath(), &unlinked}}) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(driver.CommOpen(c.key, c.name, Settings), 0) << LastError(driver);
        EXPECT_TRUE(driver.IsOpen(c.key));
        EXPECT_EQ(driver.CommWrite(c.key, {0x41}), 1);
        EXPECT_EQ(c.device->Receive(1), std::vector<std::uint8_t>{0x41});
        ASSERT_EQ(driver.CommClose(c.key), 0);
    }
    EXPECT_EQ(driver.CommOpen(6, "meter", Settings), ENOENT);
    EXPECT_FALSE(driver.IsOpen(6));
}

TEST_F(ComPortAPITest, OpenFailsOnBadSettingsButLeavesThePortOpen) {
    auto meter = std::make_unique<PseudoTerminal>();
    meter->LinkAs(2);
    EXPECT_EQ(driver.CommOpen(2, "COM2", "baud=9600 parity=X"), EINVAL);
    EXPECT_EQ(LastError(driver), "Error (22): CommOpen (BuildCommDCB) - Invalid argument");
    EXPECT_TRUE(driver.IsOpen(2)) << "the caller decides whether to close it";
    EXPECT_EQ(driver.CommClose(2), 0);
}

TEST_F(ComPortAPITest, NoOtherProgramCanOpenAHeldPort) {
    auto meter = OpenMeter(9);
    EXPECT_EQ(OpenAsAnotherProgram(meter->SlavePath()), EBUSY);
    ASSERT_EQ(driver.CommClose(9), 0);
    EXPECT_EQ(OpenAsAnotherProgram(meter->SlavePath()), 0) << "the port must be free again";
}

// Two programs on one port, whichever comes first: the lock that serial programs take keeps the
// second out, also where the right to ignore exclusive use (root's) lets its open through.
TEST_F(ComPortAPITest, PortLockedByAnotherProgramIsInUseBothWaysRound) {
    PseudoTerminal meter;
    meter.LinkAs(5);
    const int other = open(meter.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0) << "the other program came first";
    // The system's busy code from the open itself: -2 is only for a port this driver holds.
    EXPECT_EQ(driver.CommOpen(5, "COM5", Settings), EBUSY);
    EXPECT_EQ(LastError(driver),
              "Error (" + std::to_string(EBUSY) + "): CommOpen (CreateFile) - " + std::strerror(EBUSY));
    EXPECT_FALSE(driver.IsOpen(5));
    EXPECT_EQ(driver.IsActivity(5), -1);
    close(other);

    ASSERT_EQ(driver.CommOpen(5, "COM5", Settings), 0) << LastError(driver);
    const int later = open(meter.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (later >= 0) {  // root: TIOCEXCL let it open, the lock does not
        EXPECT_NE(flock(later, LOCK_EX | LOCK_NB), 0);
        close(later);
    }
    const std::vector<int> free = Rs232_API::ScanPorts({});
    EXPECT_EQ(std::count(free.begin(), free.end(), 5), 0) << "a port another program holds is not free";
}

TEST_F(ComPortAPITest, FlushDropsWhatWasQueued) {
    auto meter = OpenMeter(3);
    meter->Send({1, 2, 3, 4, 5});
    ASSERT_TRUE(WaitQueued(3, 5));
    EXPECT_EQ(driver.CommFlush(3), 0) << LastError(driver);
    EXPECT_EQ(driver.IsInBuffSize(3), 0);
}

TEST_F(ComPortAPITest, PseudoTerminalWithoutModemLinesStillWorks) {
    auto meter = OpenMeter(3);
    for (int line : {ComPortAPI::SetDTR, ComPortAPI::SetRTS, ComPortAPI::SetBreak}) {
        EXPECT_EQ(driver.CommSetLine(3, line, 1), 0) << LastError(driver);
        EXPECT_EQ(driver.CommSetLine(3, line, 0), 0) << LastError(driver);
    }
    bool state = true;
    EXPECT_EQ(driver.CommGetLine(3, ComPortAPI::LineCarrier, state), 0) << LastError(driver);
    EXPECT_FALSE(state);

    EXPECT_EQ(driver.CommSetLine(3, 4, 1), EINVAL) << "no line has number 4";
    EXPECT_EQ(LastError(driver), "Error (22): CommSetLine (EscapeCommFunction) - Invalid argument");
}

TEST_F(ComPortAPITest, DeviceThatGoesAwayIsReportedAndComesBackAfterReopening) {
    auto meter = OpenMeter(12);
    meter->Close();

    std::vector<std::uint8_t> data{0x55};
    EXPECT_EQ(driver.CommRead(12, data, 2048), -1);
    EXPECT_EQ(data, std::vector<std::uint8_t>{0x55});
    EXPECT_EQ(LastError(driver), "Error (5): CommRead (ClearCommError) - Input/output error");
    EXPECT_EQ(driver.CommWrite(12, {'A'}), -1);
    EXPECT_EQ(LastError(driver),
              "Error (5): CommWrite (WriteFile) - Input/output error  COMM Error Flags = 0");

    // The recovery: close, and reopen once the device is back behind the same number.
    driver.CommClose(12);
    PseudoTerminal again;
    again.LinkAs(12);
    ASSERT_EQ(driver.CommOpen(12, "COM12", Settings), 0) << LastError(driver);
    again.Send({0x02, 0x03});
    ASSERT_TRUE(WaitQueued(12, 2));
    EXPECT_EQ(driver.CommRead(12, data, 2048), 2);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0x02, 0x03}));
}

TEST_F(ComPortAPITest, ClosedPortNeverReachesAReusedDescriptor) {
    auto meter = OpenMeter(3);
    ASSERT_EQ(driver.CommClose(3), 0);
    // The freed descriptor number now belongs to a file.
    std::string path = folder.Path() + "/victim";
    int fd = open(path.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(driver.CommWrite(3, {'x', 'y'}), -1);
    EXPECT_EQ(LastError(driver),
              "Error (9): CommWrite (WriteFile) - Bad file descriptor  COMM Error Flags = 0");
    std::vector<std::uint8_t> data;
    EXPECT_EQ(driver.CommRead(3, data, 2048), -1);
    close(fd);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(ComPortAPITest, DestructorClosesOpenPorts) {
    std::size_t before = OpenDescriptorCount();
    PseudoTerminal meter;
    meter.LinkAs(1);
    {
        ComPortAPI other;
        ASSERT_EQ(other.CommOpen(1, "COM1", Settings), 0);
        EXPECT_EQ(OpenDescriptorCount(), before + 2);
    }
    EXPECT_EQ(OpenDescriptorCount(), before + 1) << "only the meter side is left";
}

struct FaultCase {
    const char* label;
    std::function<long(ComPortAPI&, int)> call;
    long result;
};

TEST_F(ComPortAPITest, PortNumberOutsideTheTableIsAFaultOfThatOperation) {
    std::vector<std::uint8_t> data{7};
    bool state = false;
    const std::vector<FaultCase> cases{
        {"CommOpen", [](ComPortAPI& d, int p) { return d.CommOpen(p, "COM", Settings); }, 9},
        {"CommSet", [](ComPortAPI& d, int p) { return d.CommSet(p, Settings); }, 9},
        {"CommClose", [](ComPortAPI& d, int p) { return d.CommClose(p); }, 9},
        {"CommFlush", [](ComPortAPI& d, int p) { return d.CommFlush(p); }, 9},
        {"CommRead", [](ComPortAPI& d, int p) { return d.IsInBuffSize(p); }, 0},
        {"CommRead", [&](ComPortAPI& d, int p) { return d.CommRead(p, data, 10); }, -1},
        {"CommWrite",
         [](ComPortAPI& d, int p) {
             return d.CommWrite(p, {1, 2});
         },
         0},
        {"CommReadCD", [&](ComPortAPI& d, int p) { return d.CommGetLine(p, 0x80, state); }, 9},
        {"CommSetLine", [](ComPortAPI& d, int p) { return d.CommSetLine(p, 2, 1); }, 9},
    };
    for (int port : {-1, 257}) {
        for (const FaultCase& c : cases) {
            SCOPED_TRACE(std::string(c.label) + " " + std::to_string(port));
            EXPECT_EQ(c.call(driver, port), c.result);
            EXPECT_EQ(LastError(driver), "Error (9): " + std::string(c.label) + " - Subscript out of range");
        }
        EXPECT_THROW(driver.IsActivity(port), std::out_of_range);
        EXPECT_THROW(driver.IsOpen(port), std::out_of_range);
    }
    EXPECT_EQ(data, std::vector<std::uint8_t>{7});
}

}  // namespace
