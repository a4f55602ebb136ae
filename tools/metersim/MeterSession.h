#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "SimOptions.h"

// What the simulated meter puts on the line and how it answers the PC, free of any device, so the
// pseudo-terminal loop only moves bytes. Times are seconds since the meter started.
//
// The meter streams a frame at every tick of its rate unless a gap or the silent time holds it, or the
// line is still busy with earlier bytes (then that frame is skipped, as a meter's transmitter would
// not queue readings). "A" and "U" are answered from the logger memory; frames pause while an answer
// goes out, and a new command ends the answer in progress and starts its own. Each of the first
// framesBeforeAnswers commands gets one whole live frame ahead of its answer, as a meter busy with its
// stream may give, unless frames are held back at that moment. The size reply may claim more than the
// dump carries (dumpShort), as a meter whose last set was cut short by a power loss does; the line
// may go in the middle of the dump (hangUpAfter), as when the adapter is pulled out: from then on
// nothing more is sent, and the device loop hangs up. The stray bytes the settings ask for go with
// each frame streamed, or alone halfway to the next tick.
class MeterSession {
  public:
    explicit MeterSession(const SimOptions& options);

    // Bytes from the PC; anything but "A" and "U" is ignored.
    void Receive(std::span<const std::uint8_t> bytes, double now);

    // The bytes due on the line at `now`, oldest first. They stay queued until Written() says they left.
    std::span<const std::uint8_t> Due(double now);
    void Written(std::size_t count);

    // A client opened the line and what was sent before is gone; an unfinished frame is dropped with it.
    void LineReset();

    // The earliest time at which Due() may have more to give.
    double NextWake(double now) const;

    bool Answering() const { return answering_; }
    // The cut answer to U has gone out whole: the line is to hang up.
    bool HungUp() const { return hungUp_; }
    std::size_t Pending() const { return queue_.size() - head_; }
    const MeterSettings& Settings() const { return settings_; }

  private:
    void RunScript(double now);
    void StreamFrame(double now);
    bool FramesAllowed(double t) const;
    void Answer(const std::vector<std::uint8_t>& reply, double now);
    std::vector<std::uint8_t> FrameBytes(double now, bool mayAddStray);
    // One stray byte of a poor adapter: 02 or 03 with a chance of a third each, else any byte.
    std::uint8_t StrayByte();
    void AddStrays(std::vector<std::uint8_t>& bytes, int count);
    void Enqueue(const std::uint8_t* first, std::size_t count, double now);

    MeterSettings settings_;
    std::vector<std::uint8_t> memory_;
    std::vector<ScriptEvent> script_;
    std::vector<Gap> gaps_;
    std::optional<double> silentAfter_;
    double byteTime_ = 0.0;        // seconds per byte on a paced line, 0 when unpaced
    int framesBeforeAnswers_ = 0;  // commands still due a live frame ahead of their answer
    std::size_t dumpShort_ = 0;    // bytes claimed by the size reply that the dump never sends
    std::optional<std::size_t> hangUpAfter_;
    bool cutAnswer_ = false;  // the answer in the queue is the dump that ends in a hang-up
    bool hungUp_ = false;
    std::optional<double> pauseStrays_;  // when the strays of the pause after a frame are due

    std::vector<std::uint8_t> queue_;
    std::size_t head_ = 0;        // first byte not yet written
    std::size_t frameBytes_ = 0;  // bytes of frames (and a stray byte) at the head of the queue
    bool answering_ = false;
    double nextFrame_ = 0.0;
    double lineFree_ = 0.0;  // when a paced line can carry its next byte
    std::size_t nextEvent_ = 0;
    std::mt19937 random_;
};
