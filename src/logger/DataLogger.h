#pragma once

#include <cstdint>
#include <vector>

// The program-wide state of the meter's logger: the memory of the last download and whether the
// Data Logger window is open or a download is under way. The download and the window tell it what
// happens; everyone else only asks.
class DataLogger {
public:
    static DataLogger& Instance();

    const std::vector<std::uint8_t>& MemoryImage() const { return memoryImage_; }
    bool MemoryWindowOpen() const { return memoryWindowOpen_; }
    // A download talks to the meter: no second one may start.
    bool Downloading() const { return downloading_; }

    // A download begins: the old memory is gone.
    void DownloadStarted();
    // The download has ended; `memory` is what it read (empty when it read nothing).
    void DownloadEnded(std::vector<std::uint8_t> memory);
    void WindowOpened() { memoryWindowOpen_ = true; }
    void WindowClosed() { memoryWindowOpen_ = false; }

    void Reset() { *this = DataLogger{}; }

private:
    std::vector<std::uint8_t> memoryImage_;
    bool memoryWindowOpen_ = false;
    bool downloading_ = false;
};
