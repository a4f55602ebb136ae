// The frame finder against a made-up poor line, every choice of which comes from the input: the
// meter's readings and settings, the stray bytes in each gap (how many, which, where), the size
// and delay of each read, and stalls of the reader. Differential: every frame the finder gives is
// the frame the meter sent last before the frame's burst ended, and none twice.
//
// Input: three bytes of options (stray bytes per gap 0-10, uniform or rich in 02 and 03, stalls),
// then the choices, read four bytes at a time; past its end every choice is 0.
#include <cstdint>
#include <cstring>

#include "FuzzInput.h"
#include "NoisyLine.h"
#include "acquisition/FrameFinder.h"

namespace {

class InputSource {
public:
    InputSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t Below(std::uint32_t n) {
        if (n == 0) return 0;
        std::uint32_t value = 0;
        const std::size_t count = std::min<std::size_t>(sizeof value, size_ - at_);
        std::memcpy(&value, data_ + at_, count);
        at_ += count;
        return value % n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    NoisyLine::Options options;
    options.straysPerGap = data[0] % 11;
    options.uniformStrays = (data[1] & 1) != 0;
    options.stallPerMille = data[2] % 8;
    // Enough frames to spend the input's choices, at most a few thousand.
    options.frames = static_cast<long>(std::min<std::size_t>(2000, 8 + size / 4));
    InputSource source(data + 3, size - 3);
    FrameFinder finder;
    const NoisyLine::Tally tally = NoisyLine::Replay(NoisyLine::Make(options, source), finder);
    Fuzz::Require(tally.wrong == 0, "every frame the finder gives is the meter's newest when its burst ended");
    return 0;
}
