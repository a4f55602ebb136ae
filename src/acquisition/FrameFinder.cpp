#include "acquisition/FrameFinder.h"

#include <algorithm>

namespace {
// A frame with ten stray bytes on each side is far shorter; a longer burst is a flood (noise, or
// bytes that are no live stream) and is not kept.
constexpr std::size_t LongestBurst = 256;
constexpr std::uint8_t OneChannelMarker = 255;
}  // namespace

FrameFinder::Signature FrameFinder::SignatureOf(const MeterFrame& frame) {
    const int code = frame.bytes[1] % 4;
    return {.unit = code == 3 ? 1 : code, .oneChannel = frame.bytes[4] == OneChannelMarker, .type = frame.bytes[7]};
}

std::vector<MeterFrame> FrameFinder::Candidates(std::span<const std::uint8_t> bytes) {
    std::vector<MeterFrame> found;
    for (std::size_t at = 0; at + MeterFrame::Size <= bytes.size(); ++at) {
        if (bytes[at] != MeterFrame::Start || bytes[at + MeterFrame::Size - 1] != MeterFrame::End) continue;
        MeterFrame& frame = found.emplace_back();
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), MeterFrame::Size, frame.bytes.begin());
    }
    return found;
}

std::optional<FrameFinder::Found> FrameFinder::Add(std::span<const std::uint8_t> arrived, double now, bool late) {
    if (late && !arrived.empty()) {
        // What waited unread may hold a candidate that came within the isolation of a burst not
        // yet decided, or belong to the burst still open.
        if (waiting_) {
            waiting_->rejected = true;
            Decide();
        }
        if (open_) open_->late = true;
    }
    std::optional<Found> found = Settle(now);
    if (arrived.empty()) return found;
    if (!open_) open_ = Burst{.bytes = {}, .first = now};
    open_->last = now;
    open_->late = open_->late || late;
    if (open_->flood) return found;
    open_->bytes.insert(open_->bytes.end(), arrived.begin(), arrived.end());
    if (open_->bytes.size() > LongestBurst) {
        open_->flood = true;
        open_->bytes.clear();
        open_->bytes.shrink_to_fit();
    }
    return found;
}

std::optional<FrameFinder::Found> FrameFinder::Quiet(double now) { return Settle(now); }

bool FrameFinder::WaitingDue(double now) const {
    if (!waiting_) return false;
    const double clearAt = waiting_->last + IsolationSeconds;
    // A burst still coming in that began inside the isolation is decided with it when it closes.
    return now >= clearAt && (!open_ || open_->first >= clearAt);
}

double FrameFinder::DueAt() const {
    double due = std::numeric_limits<double>::infinity();
    if (open_) due = open_->last + BurstGapSeconds;
    // A waiting burst held back by one still coming in is decided when that one closes.
    if (waiting_ && (!open_ || open_->first >= waiting_->last + IsolationSeconds))
        due = std::min(due, waiting_->last + IsolationSeconds);
    return due;
}

std::optional<FrameFinder::Found> FrameFinder::Settle(double now) {
    std::optional<Found> found;
    if (WaitingDue(now)) found = Decide();
    if (open_ && now >= open_->last + BurstGapSeconds) {
        Close();
        if (WaitingDue(now)) {
            if (std::optional<Found> newer = Decide()) found = newer;
        }
    }
    return found;
}

void FrameFinder::Close() {
    Burst burst = std::move(*open_);
    open_.reset();
    std::vector<MeterFrame> candidates = Candidates(burst.bytes);
    if (candidates.empty() && !burst.flood) return;
    Waiting next{.candidates = std::move(candidates), .first = burst.first, .last = burst.last,
                 .rejected = burst.late || burst.flood};
    // Two bursts with candidates close together: at most one is the meter's, and which is unknown.
    if (lastCandidateEnd_ && burst.first - *lastCandidateEnd_ < IsolationSeconds) next.rejected = true;
    if (waiting_) {
        waiting_->rejected = true;
        Decide();
    }
    lastCandidateEnd_ = burst.last;
    waiting_ = std::move(next);
}

std::optional<FrameFinder::Found> FrameFinder::Decide() {
    const Waiting burst = std::move(*waiting_);
    waiting_.reset();
    const bool chained = last_ && burst.first - last_->at <= ChainSeconds;
    const Signature before = chained ? last_->signature : Signature{};
    if (burst.rejected) {
        last_.reset();
        return std::nullopt;
    }
    if (burst.candidates.size() == 1) {
        const MeterFrame& frame = burst.candidates.front();
        last_ = Last{SignatureOf(frame), burst.last};
        if (chained && before == last_->signature) return Found{frame, burst.last};
        return std::nullopt;
    }
    // Several candidates: none is taken. When exactly one agrees with the frames before, the
    // meter most likely kept its settings, and the next frame is held to them.
    const auto agreeing = std::count_if(burst.candidates.begin(), burst.candidates.end(),
                                        [&](const MeterFrame& f) { return before == SignatureOf(f); });
    if (chained && agreeing == 1) {
        last_ = Last{before, burst.last};
    } else {
        last_.reset();
    }
    return std::nullopt;
}

void FrameFinder::Clear() {
    open_.reset();
    waiting_.reset();
    lastCandidateEnd_.reset();
    last_.reset();
}
