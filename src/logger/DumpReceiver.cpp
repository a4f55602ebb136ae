#include "logger/DumpReceiver.h"

#include <algorithm>

#include "meter/MeterFrame.h"

namespace {

bool WholeFrameEndsAt(std::span<const std::uint8_t> bytes, std::size_t end) {
    return end >= MeterFrame::Size && bytes[end - MeterFrame::Size] == MeterFrame::Start &&
           bytes[end - 1] == MeterFrame::End;
}

// How many bytes at the end of `bytes` are whole live frames, possibly followed by the beginning
// of one more (its 02 and up to seven bytes after it): the longest such tail.
std::size_t LiveFrameTail(std::span<const std::uint8_t> bytes) {
    std::size_t longest = 0;
    for (std::size_t begun = 0; begun < MeterFrame::Size && begun <= bytes.size(); ++begun) {
        if (begun > 0 && bytes[bytes.size() - begun] != MeterFrame::Start) continue;
        std::size_t end = bytes.size() - begun;
        while (WholeFrameEndsAt(bytes, end)) end -= MeterFrame::Size;
        longest = std::max(longest, bytes.size() - end);
    }
    return longest;
}

}  // namespace

DumpReceiver::Status DumpReceiver::Add(std::span<const std::uint8_t> received) {
    if (received.empty()) return Settle(false);
    const bool frameHeld = held_.size() >= MeterFrame::Size;
    held_.insert(held_.end(), received.begin(), received.end());
    const std::size_t dumpBytes = held_.size() - LiveFrameTail(held_);
    if (dumpBytes > 0) {
        // Something that is no frame came after the held bytes: they were the dump's.
        dump_.insert(dump_.end(), held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(dumpBytes));
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(dumpBytes));
    }
    return Settle(frameHeld && dumpBytes == 0);
}

DumpReceiver::Status DumpReceiver::Settle(bool framesAgain) {
    if (dump_.size() >= expected_) return Status::Complete;
    // Dump bytes may look like frames too; when the held bytes end the dump exactly where it is due
    // to end and only frames follow them, they were its last bytes.
    const std::size_t missing = expected_ - dump_.size();
    if (missing <= held_.size()) {
        const std::span<const std::uint8_t> after(held_.data() + missing, held_.size() - missing);
        if (LiveFrameTail(after) == after.size()) {
            dump_.insert(dump_.end(), held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(missing));
            held_.clear();
            return Status::Complete;
        }
    }
    if (framesAgain) streamsAgain_ = true;
    return framesAgain ? Status::LiveFrames : Status::Receiving;
}

std::size_t DumpReceiver::Received() const { return std::min(dump_.size(), expected_); }

std::vector<std::uint8_t> DumpReceiver::Memory() const {
    // The lead byte and the closing byte are not memory, nor anything that came after the dump.
    if (expected_ < 2 || dump_.size() < expected_) return {};
    return {dump_.begin() + 1, dump_.begin() + static_cast<std::ptrdiff_t>(expected_ - 1)};
}

std::vector<std::uint8_t> DumpReceiver::PartialMemory() const {
    if (dump_.size() >= expected_) return Memory();
    std::vector<std::uint8_t> came = dump_;
    if (streamsAgain_) {
        // The meter ended its answer with its closing 03 before it went back to its frames: that
        // byte is no memory. (When the dump's last nine bytes looked like a frame, they went with
        // the frames, the closing byte among them.)
        if (came.size() > 1 && came.back() == MeterFrame::End) came.pop_back();
    } else {
        // Bytes held as the start of a frame that never went on were the dump's: the line fell
        // silent or hung up in the middle of the memory.
        came.insert(came.end(), held_.begin(), held_.end());
    }
    // Neither the lead byte nor anything past the memory's announced end.
    if (came.empty() || expected_ < 2) return {};
    return {came.begin() + 1, came.begin() + static_cast<std::ptrdiff_t>(std::min(came.size(), expected_ - 1))};
}
