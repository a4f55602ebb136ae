#pragma once

#include <cstddef>

#include "graphs/Drawing.h"

// What a surface shows, kept as the drawing that made it, so that it can be painted again on
// another surface (a printed page) as it stands. A sweeping chart draws over itself for as long
// as it runs; what later boxes paint over and lines drawn again unchanged are dropped from time
// to time, so the record stays about the size of one picture instead of growing with the run.
class ShownDrawing {
  public:
    // The surface was cleared: nothing drawn before shows any more.
    void Clear();
    // `drawing` was drawn over what shows. Its clearings are the surface's own (see Clear).
    void Add(const Drawing& drawing);
    // Whether enough was added since the last compaction for another to be worth its time.
    bool CompactionDue() const;
    // Drops what the rest paints over entirely; `metrics` give a text's extent. What the drawing
    // puts on a screen stays exactly as it was.
    void Compact(const TextMetrics& metrics);

    const Drawing& Ops() const { return ops_; }

  private:
    Drawing ops_;
    std::size_t sizeAfterCompaction_ = 0;
};
