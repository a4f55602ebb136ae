#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The program-wide state of the meter's logger: the memory of the last download and whether a
// download is under way. The download tells it what happens; everyone else only asks. (Whether
// "Data Logger" is open, the window registry says.)
class DataLogger {
public:
    static DataLogger& Instance();

    const std::vector<std::uint8_t>& MemoryImage() const { return memoryImage_; }
    // A download talks to the meter: no second one may start.
    bool Downloading() const { return downloading_; }

    // A download begins: the old memory is gone.
    void DownloadStarted();
    // The download has read the memory; its sets may be opened from now on.
    void MemoryRead(std::vector<std::uint8_t> memory) { memoryImage_ = std::move(memory); }
    // The download has ended, whether it read the memory or not.
    void DownloadEnded() { downloading_ = false; }

    void Reset() { *this = DataLogger{}; }

private:
    std::vector<std::uint8_t> memoryImage_;
    bool downloading_ = false;
};
