#include "graphs/ShownDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <utility>

namespace {

// Below this many drawings a compaction is not worth its time; above it, one runs each time the
// record doubles, so adding costs the same on average however long a chart runs.
constexpr std::size_t LeastForCompaction = 4096;
constexpr double Tolerance = 1e-9;

// Drawings are painted on whole pixels, as the surfaces round them.
long Px(double value) { return std::lround(value); }

struct Extent {
    double left, top, right, bottom;

    bool Within(const Extent& outer) const {
        return left >= outer.left - Tolerance && right <= outer.right + Tolerance &&
               top >= outer.top - Tolerance && bottom <= outer.bottom + Tolerance;
    }
    Extent United(const Extent& other) const {
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }
};

bool Same(double a, double b) { return std::abs(a - b) <= Tolerance; }

// The pixels a line fills on a screen: a one-pixel line those right of and below its points, a
// two-pixel line those on either side. On paper a slanted stroke's square ends reach a fraction
// of a pixel further; a line whose pixels are painted over is dropped even so, so that paper
// shows no slivers of lines the screen has erased.
Extent LineExtent(const DrawOp& op) {
    const double x1 = Px(op.x1), y1 = Px(op.y1), x2 = Px(op.x2), y2 = Px(op.y2);
    const int width = std::max(op.width, 1);
    const double half = width / 2.0, shift = width % 2 == 1 ? 0.5 : 0;
    return {std::min(x1, x2) + shift - half, std::min(y1, y2) + shift - half, std::max(x1, x2) + shift + half,
            std::max(y1, y2) + shift + half};
}

Extent ExtentOf(const DrawOp& op, const TextMetrics& metrics) {
    switch (op.kind) {
        case DrawOp::Kind::Line:
            return LineExtent(op);
        case DrawOp::Kind::Box:
            // Both corners' pixels are filled.
            return {double(std::min(Px(op.x1), Px(op.x2))), double(std::min(Px(op.y1), Px(op.y2))),
                    double(std::max(Px(op.x1), Px(op.x2)) + 1), double(std::max(Px(op.y1), Px(op.y2)) + 1)};
        case DrawOp::Kind::Text: {
            const double x = Px(op.x1), y = Px(op.y1);
            return {x, y, x + metrics.width(op.text), y + metrics.height};
        }
        case DrawOp::Kind::Clear:
            break;
    }
    return {0, 0, 0, 0};
}

// The painted-over area as few rectangles: a sweep's erasing boxes share their height and join
// into one band.
class Cover {
  public:
    bool Hides(const Extent& extent) const {
        return std::any_of(parts_.begin(), parts_.end(),
                           [&](const Extent& part) { return extent.Within(part); });
    }
    void Add(Extent box) {
        for (bool joined = true; joined;) {
            joined = false;
            for (auto it = parts_.begin(); it != parts_.end(); ++it) {
                if (Joins(*it, box)) {
                    box = box.United(*it);
                    parts_.erase(it);
                    joined = true;
                    break;
                }
            }
        }
        parts_.push_back(box);
    }

  private:
    static bool Joins(const Extent& a, const Extent& b) {
        const bool sameRows = Same(a.top, b.top) && Same(a.bottom, b.bottom);
        const bool sameColumns = Same(a.left, b.left) && Same(a.right, b.right);
        return (sameRows && a.left <= b.right + Tolerance && b.left <= a.right + Tolerance) ||
               (sameColumns && a.top <= b.bottom + Tolerance && b.top <= a.bottom + Tolerance) ||
               b.Within(a) || a.Within(b);
    }
    std::vector<Extent> parts_;
};

// A line or box painted again unchanged puts the same pixels in the same colour: the earlier one
// no longer shows. (A text is left alone: smoothed glyphs drawn twice come out darker.)
struct PaintKey {
    DrawOp::Kind kind;
    long x1, y1, x2, y2;
    std::uint32_t colour;
    int width;
    DrawOp::Style style;
    bool operator==(const PaintKey&) const = default;
};

PaintKey KeyOf(const DrawOp& op) {
    return {op.kind,
            Px(op.x1),
            Px(op.y1),
            Px(op.x2),
            Px(op.y2),
            std::uint32_t(op.colour.r) << 16 | std::uint32_t(op.colour.g) << 8 | op.colour.b,
            op.kind == DrawOp::Kind::Line ? op.width : 1,
            op.kind == DrawOp::Kind::Line ? op.style : DrawOp::Style::Solid};
}

struct PaintKeyHash {
    std::size_t operator()(const PaintKey& key) const {
        std::size_t h = std::size_t(key.kind);
        for (long v : {key.x1, key.y1, key.x2, key.y2, long(key.colour), long(key.width), long(key.style)})
            h = h * 1000003u ^ std::hash<long>()(v);
        return h;
    }
};

}  // namespace

void ShownDrawing::Clear() {
    ops_.clear();
    sizeAfterCompaction_ = 0;
}

void ShownDrawing::Add(const Drawing& drawing) {
    for (const DrawOp& op : drawing) {
        if (op.kind != DrawOp::Kind::Clear) ops_.push_back(op);
    }
}

bool ShownDrawing::CompactionDue() const {
    return ops_.size() >= std::max(LeastForCompaction, 2 * sizeAfterCompaction_);
}

void ShownDrawing::Compact(const TextMetrics& metrics) {
    // From the last drawing back: each earlier one is checked against what comes after it.
    Cover cover;
    std::unordered_set<PaintKey, PaintKeyHash> later;
    std::vector<bool> keep(ops_.size(), false);
    for (std::size_t i = ops_.size(); i-- > 0;) {
        const DrawOp& op = ops_[i];
        const bool repeatable = op.kind != DrawOp::Kind::Text;
        if (repeatable && !later.insert(KeyOf(op)).second) continue;
        const Extent extent = ExtentOf(op, metrics);
        if (cover.Hides(extent)) continue;
        keep[i] = true;
        if (op.kind == DrawOp::Kind::Box) cover.Add(extent);
    }
    Drawing kept;
    kept.reserve(static_cast<std::size_t>(std::count(keep.begin(), keep.end(), true)));
    for (std::size_t i = 0; i < ops_.size(); ++i) {
        if (keep[i]) kept.push_back(std::move(ops_[i]));
    }
    ops_ = std::move(kept);
    sizeAfterCompaction_ = ops_.size();
}
