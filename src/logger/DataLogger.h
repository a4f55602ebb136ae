#pragma once

#include <cstdint>
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
    // The download has ended; `memory` is what it read (empty when it read nothing).
    void DownloadEnded(std::vector<std::uint8_t> memory);

    void Reset() { *this = DataLogger{}; }

private:
    std::vector<std::uint8_t> memoryImage_;
    bool downloading_ = false;
};
