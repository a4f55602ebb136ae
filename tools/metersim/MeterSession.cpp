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
    if (pauseStrays_ && now >= *pauseStrays_) {
        pauseStrays_.reset();
        // Like a frame, they do not wait for a busy line.
        if (!answering_ && Pending() == 0 && !hungUp_) {
            std::vector<std::uint8_t> strays;
            AddStrays(strays, settings_.Strays());
            Enqueue(strays.data(), strays.size(), now);
            frameBytes_ = strays.size();
        }
    }
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
    const bool streamed = !answering_ && Pending() == 0 && FramesAllowed(nextFrame_);
    if (streamed) {
        auto bytes = FrameBytes(now, true);
        Enqueue(bytes.data(), bytes.size(), now);
        frameBytes_ = bytes.size();
    }
    // Ticks missed while the loop was held up are skipped, not sent in a burst.
    double period = 1.0 / settings_.Rate();
    nextFrame_ += period;
    if (nextFrame_ <= now) nextFrame_ = now + period;
    if (streamed && settings_.Strays() > 0 && settings_.StraysPlace() == MeterSettings::StraysAt::Pause)
        pauseStrays_ = (now + nextFrame_) / 2;
}

std::vector<std::uint8_t> MeterSession::FrameBytes(double now, bool mayAddStray) {
    std::vector<std::uint8_t> bytes;
    if (mayAddStray && settings_.Garbage() > 0.0 && std::bernoulli_distribution(settings_.Garbage())(random_))
        bytes.push_back(static_cast<std::uint8_t>(random_() & 0xFF));
    const int strays = mayAddStray ? settings_.Strays() : 0;
    int before = 0;
    switch (settings_.StraysPlace()) {
        case MeterSettings::StraysAt::Before:
            before = strays;
            break;
        case MeterSettings::StraysAt::Around:
            before = std::uniform_int_distribution<int>(0, strays)(random_);
            break;
        case MeterSettings::StraysAt::After:
        case MeterSettings::StraysAt::Pause:
            break;
    }
    AddStrays(bytes, before);
    MeterFrame frame = FrameEncoder::EncodeFrame(settings_.SampleAt(now));
    bytes.insert(bytes.end(), frame.bytes.begin(), frame.bytes.end());
    if (settings_.StraysPlace() != MeterSettings::StraysAt::Pause) AddStrays(bytes, strays - before);
    return bytes;
}

std::uint8_t MeterSession::StrayByte() {
    switch (std::uniform_int_distribution<int>(0, 2)(random_)) {
        case 0:
            return 0x02;
        case 1:
            return 0x03;
        default:
            return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random_));
    }
}

void MeterSession::AddStrays(std::vector<std::uint8_t>& bytes, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(StrayByte());
}

double MeterSession::NextWake(double now) const {
    double wake = nextFrame_;
    if (pauseStrays_) wake = std::min(wake, *pauseStrays_);
    if (nextEvent_ < script_.size()) wake = std::min(wake, script_[nextEvent_].time);
    std::size_t pending = Pending();
    if (pending > 0) {
        double ready = byteTime_ > 0.0 ? lineFree_ + std::min(pending - 1, PacedBurst - 1) * byteTime_ : now;
        wake = std::min(wake, ready);
    }
    return wake;
}
