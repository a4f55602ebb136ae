// The numbers typed into the real-time range dialog, the plot range dialog and the sampling
// interval prompt, through the checks behind them. Whatever is accepted lies within its limits,
// and what a dialog shows of an accepted value, taken again unchanged, gives that value again.
//
// Input: newline-separated fields: unit (C, F, anything else K), then the real-time dialog's
// max, min, counts, width and height, the plot dialog's T1, T2, R1 and R2, the plot's number of
// records, and the sampling interval.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "acquisition/SamplingSchedule.h"
#include "graphs/ChartFrame.h"
#include "graphs/RangeInput.h"

namespace {

bool Same(double a, double b) { return std::fabs(a - b) <= 1e-9 * std::fmax(1.0, std::fabs(a)); }

// What a dialog shows of a number it took reads back as that number.
void RequireShownAsTaken(double value) {
    Fuzz::Require(Same(RangeInput::LeadingNumber(RangeInput::NumberText(value)), value),
                  "a number taken reads back from the text shown");
}

void RealTimeRange(const std::vector<std::string>& f, const ChartFrame::UnitLimits& unit) {
    const RangeInput::Outcome first = RangeInput::Check({f[1], f[2], f[3], f[4], f[5]}, unit.max, unit.min);
    if (!first.rangeChecked) return;
    Fuzz::Require(unit.min <= first.yMin && first.yMin < first.yMax && first.yMax <= unit.max,
                  "a range taken lies within the unit's limits");
    RequireShownAsTaken(first.yMax);
    RequireShownAsTaken(first.yMin);
    // Limits closer than the fifteen digits shown show alike, and are then rightly refused.
    if (RangeInput::NumberText(first.yMax) == RangeInput::NumberText(first.yMin)) return;
    // Opened again, the dialog shows the range and the span as numbers; OK takes them back.
    const std::string counts = RangeInput::NumberText(first.spanSeconds / 60) + "  min";
    const RangeInput::Outcome again =
        RangeInput::Check({RangeInput::NumberText(first.yMax), RangeInput::NumberText(first.yMin), counts,
                           std::to_string(first.widthSteps), std::to_string(first.heightSteps)},
                          unit.max, unit.min);
    Fuzz::Require(again.rangeChecked && Same(again.yMax, first.yMax) && Same(again.yMin, first.yMin),
                  "a range taken is taken again as shown");
    if (first.status != RangeInput::Outcome::Status::Accepted) return;
    Fuzz::Require(first.widthSteps >= RangeInput::MinSteps && first.widthSteps <= RangeInput::MaxSteps &&
                      first.heightSteps >= RangeInput::MinSteps && first.heightSteps <= RangeInput::MaxSteps &&
                      first.spanSeconds >= RangeInput::MinSpanSeconds && first.spanSeconds <= RangeInput::MaxSpanSeconds,
                  "an accepted size and span lie within their limits");
    Fuzz::Require(again.status == RangeInput::Outcome::Status::Accepted && again.widthSteps == first.widthSteps &&
                      again.heightSteps == first.heightSteps && Same(again.spanSeconds, first.spanSeconds),
                  "an accepted size and span read back from the texts shown");
}

void PlotRange(const std::vector<std::string>& f, const ChartFrame::UnitLimits& unit) {
    const long records = std::strtol(f[10].c_str(), nullptr, 10) % 100000;
    const RangeInput::PlotOutcome first = RangeInput::CheckPlot(f[6], f[7], f[8], f[9], unit.min, unit.max, records);
    if (!first.message.empty()) return;
    Fuzz::Require(unit.min <= first.yMin && first.yMin < first.yMax && first.yMax <= unit.max,
                  "a plot range taken lies within the unit's limits");
    Fuzz::Require(1 <= first.firstRecord && first.firstRecord < first.lastRecord && first.lastRecord <= records,
                  "a plot's records taken lie within the list");
    RequireShownAsTaken(first.yMin);
    RequireShownAsTaken(first.yMax);
    if (RangeInput::NumberText(first.yMin) == RangeInput::NumberText(first.yMax)) return;
    const RangeInput::PlotOutcome again =
        RangeInput::CheckPlot(RangeInput::NumberText(first.yMin), RangeInput::NumberText(first.yMax),
                              std::to_string(first.firstRecord), std::to_string(first.lastRecord), unit.min, unit.max,
                              records);
    Fuzz::Require(again.message.empty() && Same(again.yMin, first.yMin) && Same(again.yMax, first.yMax) &&
                      again.firstRecord == first.firstRecord && again.lastRecord == first.lastRecord,
                  "a plot range taken reads back from the texts shown");
}

void SamplingInterval(const std::string& answer) {
    const std::optional<int> seconds = SamplingSchedule::ParseInterval(answer);
    Fuzz::Require(seconds.has_value() == !answer.empty(), "only an empty answer keeps the interval");
    if (!seconds) return;
    Fuzz::Require(*seconds >= SamplingSchedule::MinInterval && *seconds <= SamplingSchedule::MaxInterval,
                  "an interval lies within 1 to 86400 s");
    Fuzz::Require(SamplingSchedule::ParseInterval(std::to_string(*seconds)) == seconds,
                  "the interval shown reads back as itself");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields = Fuzz::Fields(data, size, '\n');
    fields.resize(12);
    const ChartFrame::UnitLimits unit = ChartFrame::LimitsOf(fields[0]);
    RealTimeRange(fields, unit);
    PlotRange(fields, unit);
    SamplingInterval(fields[11]);
    return 0;
}
