// The frame decoders alone, at the speed a long campaign needs: the input is a run of frame
// bodies (bytes 2 to 8 of a frame) decoded one after the other into the same live reading, as the
// poll cycle does, so that what one frame leaves behind (a second channel, a type) meets the next.
// The byte stream around the frames, with its delimiters and timing, is SerialStream's.
#include <cstdint>
#include <cstddef>

#include "FrameChecks.h"
#include "meter/Meter.h"
#include "meter/MeterFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t Body = MeterFrame::Size - 2;
    CurrentReading reading;
    for (std::size_t at = 0; at + Body <= size; at += Body) {
        Meter::DecodeFrameBody(reading, data + at);
        Fuzz::RequireDecodedBody(reading, data + at);
    }
    return 0;
}
