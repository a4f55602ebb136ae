#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The meter simulator (the binary named by TQ36_METERSIM) run as a child process for a test. It links
// its pseudo-terminal as COM<com> in the current TQ36_PORTS_DIR; see `tq36-metersim --help` for the
// extra arguments. The child is asked to end when the test process dies, so none is left behind.
class SimulatedMeter {
  public:
    explicit SimulatedMeter(int com, std::vector<std::string> extraArgs = {});
    ~SimulatedMeter();
    SimulatedMeter(const SimulatedMeter&) = delete;
    SimulatedMeter& operator=(const SimulatedMeter&) = delete;

    // Launches the simulator and waits up to 10 s for its ready line; false when it did not come
    // (the child is then gone again and the reason is on stderr).
    bool Start();

    // SIGTERM, then waits (SIGKILL after 10 s). The exit status, 128 + signal number when a signal
    // ended it, -1 when it was not running.
    int Stop();

    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    int Com() const { return com_; }
    // The pseudo-terminal the ready line named, e.g. /dev/pts/3.
    const std::string& DevicePath() const { return devicePath_; }
    // COM<com> in the alias folder.
    std::string AliasPath() const;

  private:
    int Reap(int timeoutMs);

    int com_;
    std::vector<std::string> extraArgs_;
    pid_t pid_ = -1;
    std::string devicePath_;
};
