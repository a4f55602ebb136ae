#include "MeterSession.h"

#include <algorithm>

#include "FrameEncoder.h"
#include "LoggerMemory.h"

namespace {

constexpr std::uint8_t SizeCommand = 0x41;  // "A"
constexpr std::uint8_t DumpCommand = 0x55;  // "U"
// A paced line is served in small bursts rather than a wake-up per byte.
constexpr std::size_t PacedBurst = 8;

}  // namespace

MeterSession::MeterSession(const SimOptions& options)
    : settings_(options.settings),
      memory_(options.memory),
      script_(options.script),
      gaps_(options.gaps),
      silentAfter_(options.silentAfter),
      byteTime_(options.baud > 0 ? 10.0 / options.baud : 0.0),
      framesBeforeAnswers_(options.framesBeforeAnswers),
      dumpShort_(options.dumpShort),
      hangUpAfter_(options.hangUpAfter),
      random_(options.seed) {}

void MeterSession::Receive(std::span<const std::uint8_t> bytes, double now) {
    if (hungUp_) return;
    for (std::uint8_t b : bytes) {
        if (b == SizeCommand) {
            Answer(LoggerMemory::SizeReply(memory_.size() + dumpShort_), now);
            cutAnswer_ = false;
        }
        if (b == DumpCommand) {
            std::vector<std::uint8_t> dump = LoggerMemory::DumpReply(memory_);
            if (hangUpAfter_) dump.resize(std::min(dump.size(), *hangUpAfter_));
            Answer(dump, now);
            cutAnswer_ = hangUpAfter_.has_value();
        }
    }
}

void MeterSession::Answer(const std::vector<std::uint8_t>& reply, double now) {
    // A frame already on its way finishes; what is left of an earlier answer is dropped.
    queue_.resize(head_ + frameBytes_);
    if (framesBeforeAnswers_ > 0) {
        --framesBeforeAnswers_;
        if (FramesAllowed(now)) {
            // Never with a stray byte, so that the command is followed by exactly a frame and the answer;
            // counted with the frame bytes, so that a later command does not cut this frame short either.
            auto frame = FrameBytes(now, false);
            Enqueue(frame.data(), frame.size(), now);
            frameBytes_ += frame.size();
        }
    }
    Enqueue(reply.data(), reply.size(), now);
    answering_ = true;
}

void MeterSession::Enqueue(const std::uint8_t* first, std::size_t count, double now) {
    if (Pending() == 0) lineFree_ = std::max(lineFree_, now);
    queue_.insert(queue_.end(), first, first + count);
}

std::span<const std::uint8_t> MeterSession::Due(double now) {
    RunScript(now);
    StreamFrame(now);
    std::size_t count = Pending();
    if (byteTime_ > 0.0)
        count = now < lineFree_
                    ? 0
                    : std::min(count, static_cast<std::size_t>((now - lineFree_) / byteTime_) + 1);
    return {queue_.data() + head_, count};
}

void MeterSession::Written(std::size_t count) {
    count = std::min(count, Pending());
    head_ += count;
    frameBytes_ -= std::min(count, frameBytes_);
    lineFree_ += count * byteTime_;
    if (Pending() == 0) {
        queue_.clear();
        head_ = 0;
        answering_ = false;
        hungUp_ = hungUp_ || cutAnswer_;
    } else if (head_ > 4096 && head_ * 2 > queue_.size()) {
        queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

void MeterSession::LineReset() {
    queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(head_),
                 queue_.begin() + static_cast<std::ptrdiff_t>(head_ + frameBytes_));
    frameBytes_ = 0;
    if (Pending() == 0) answering_ = false;
}

void MeterSession::RunScript(double now) {
    for (; nextEvent_ < script_.size() && script_[nextEvent_].time <= now; ++nextEvent_)
        settings_.Apply(script_[nextEvent_].key, script_[nextEvent_].value);
}

bool MeterSession::FramesAllowed(double t) const {
    if (silentAfter_ && t >= *silentAfter_) return false;
    return std::none_of(gaps_.begin(), gaps_.end(),
                        [t](const Gap& g) { return t >= g.start && t < g.start + g.length; });
}

void MeterSession::StreamFrame(double now) {
    if (now < nextFrame_ || hungUp_) return;
    if (!answering_ && Pending() == 0 && FramesAllowed(nextFrame_)) {
        auto bytes = FrameBytes(now, true);
        Enqueue(bytes.data(), bytes.size(), now);
        frameBytes_ = bytes.size();
    }
    // Ticks missed while the loop was held up are skipped, not sent in a burst.
    double period = 1.0 / settings_.Rate();
    nextFrame_ += period;
    if (nextFrame_ <= now) nextFrame_ = now + period;
}

std::vector<std::uint8_t> MeterSession::FrameBytes(double now, bool mayAddStray) {
    std::vector<std::uint8_t> bytes;
    if (mayAddStray && settings_.Garbage() > 0.0 && std::bernoulli_distribution(settings_.Garbage())(random_))
        bytes.push_back(static_cast<std::uint8_t>(random_() & 0xFF));
    MeterFrame frame = FrameEncoder::EncodeFrame(settings_.SampleAt(now));
    bytes.insert(bytes.end(), frame.bytes.begin(), frame.bytes.end());
    return bytes;
}

double MeterSession::NextWake(double now) const {
    double wake = nextFrame_;
    if (nextEvent_ < script_.size()) wake = std::min(wake, script_[nextEvent_].time);
    std::size_t pending = Pending();
    if (pending > 0) {
        double ready = byteTime_ > 0.0 ? lineFree_ + std::min(pending - 1, PacedBurst - 1) * byteTime_ : now;
        wake = std::min(wake, ready);
    }
    return wake;
}
