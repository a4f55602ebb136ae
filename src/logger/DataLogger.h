#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The meter's logger memory as the last download read it, which "Data Logger" fills and its data
// lists cut their sets from. (Whether a download runs, the meter link says; whether "Data Logger"
// is open, the window registry.)
class DataLogger {
public:
    const std::vector<std::uint8_t>& MemoryImage() const { return memoryImage_; }

    // A download begins: the old memory is gone.
    void DownloadStarted() { memoryImage_.clear(); }
    // The download has read the memory; its sets may be opened from now on.
    void MemoryRead(std::vector<std::uint8_t> memory) { memoryImage_ = std::move(memory); }

private:
    std::vector<std::uint8_t> memoryImage_;
};
