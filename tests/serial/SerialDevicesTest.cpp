#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "PseudoTerminal.h"
#include "TempPortsDir.h"
#include "serial/SerialDevices.h"

namespace {

// Describe() as a user without the right to open the device sees it. Root may open anything, so
// as root the check runs in a child that has dropped to the unprivileged user "nobody".
SerialDeviceInfo DescribeAsUnprivileged(const std::string& path) {
    if (geteuid() != 0) return SerialDevices::Describe(3, path, false);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
        const SerialDeviceInfo info = SerialDevices::Describe(3, path, false);
        const std::string answer = (info.accessible ? "1" : "0") + info.accessNote;
        if (write(pipeFds[1], answer.data(), answer.size()) < 0) _exit(3);
        _exit(0);
    }
    close(pipeFds[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    SerialDeviceInfo info;
    if (answer.empty()) return info;
    info.accessible = answer[0] == '1';
    info.accessNote = answer.substr(1);
    return info;
}

// A device this user may not open: the group to join where the group may read and write it,
// and a udev rule where only its owner may (never root's group to join).
TEST(SerialDevices, ADeviceThisUserMayNotOpenSaysWhatToDo) {
    TempPortsDir folder;
    chmod(folder.Path().c_str(), 0755);
    const std::string ownerOnly = folder.Path() + "/ttyOwnerOnly";
    std::ofstream(ownerOnly).put('x');
    chmod(ownerOnly.c_str(), 0600);
    const SerialDeviceInfo locked = DescribeAsUnprivileged(ownerOnly);
    EXPECT_FALSE(locked.accessible);
    EXPECT_NE(locked.accessNote.find("permission denied"), std::string::npos) << locked.accessNote;
    EXPECT_NE(locked.accessNote.find("udev rule"), std::string::npos) << locked.accessNote;
    EXPECT_EQ(locked.accessNote.find("usermod"), std::string::npos) << locked.accessNote;

    // A group of the device's own that "nobody" is not in (only root can give a file one).
    if (geteuid() != 0) GTEST_SKIP() << "giving a device another group needs root";
    const std::string grouped = folder.Path() + "/ttyGrouped";
    std::ofstream(grouped).put('x');
    ASSERT_EQ(chown(grouped.c_str(), 0, 20), 0);
    chmod(grouped.c_str(), 0660);
    const SerialDeviceInfo joinable = DescribeAsUnprivileged(grouped);
    EXPECT_FALSE(joinable.accessible);
    EXPECT_NE(joinable.accessNote.find("usermod -aG"), std::string::npos) << joinable.accessNote;
}

TEST(SerialDevices, ListsAliasedDevicesWithTheirTargets) {
    TempPortsDir folder;
    PseudoTerminal meter;
    meter.LinkAs(42);
    folder.LinkMissing(43);
    bool found42 = false;
    for (const SerialDeviceInfo& info : SerialDevices::List()) {
        EXPECT_NE(info.com, 43) << "a link to nothing is no device";
        if (info.com != 42) continue;
        found42 = true;
        EXPECT_TRUE(info.viaAlias);
        EXPECT_EQ(info.target, std::filesystem::canonical(meter.SlavePath()).string());
        EXPECT_TRUE(info.accessible);
    }
    EXPECT_TRUE(found42);
}

}  // namespace
