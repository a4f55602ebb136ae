#pragma once

#include <optional>
#include <string>
#include <string_view>

// The checks of the real-time range dialog, in their order, on the texts as typed.
namespace RangeInput {

inline constexpr int MinSteps = 5, MaxSteps = 14;
inline constexpr double MinSpanSeconds = 60, MaxSpanSeconds = 86400;

// The leading number of a text ("5  min" is 5, "--5" and "abc" are 0); always finite.
double LeadingNumber(std::string_view text);
// A number as the dialog shows it, to 15 significant digits without trailing zeros: "1767",
// "-200", "1999.9", "4.5", "7" (for 6.999999999999999), "4.83333333333333"; never with an
// exponent, which LeadingNumber would not read (0.00000002 to the fifteenth decimal).
std::string NumberText(double value);

// The graph window's outer size in twips for a size in steps: 2400 + 810 per width step and
// 855 + 900 per height step, a height over 11906 cut to 11800.
struct WindowTwips {
    int width = 0, height = 0;
};
WindowTwips GraphWindowTwips(int widthSteps, int heightSteps);
// The steps the dialog shows for a graph window of this outer size. The size is read in whole
// pixels of `twipsPerPixel` twips, up to half a pixel off the twips it was set from; the steps are
// those it was set from, so OK without a change keeps the window as it is.
struct WindowSteps {
    int width = 0, height = 0;
};
WindowSteps GraphWindowSteps(double widthTwips, double heightTwips, double twipsPerPixelX,
                             double twipsPerPixelY);

struct Request {
    std::string max, min, counts, width, height;
};

struct Outcome {
    enum class Status {
        Accepted,
        Refused,  // `message` says why; the dialog stays open
        Fault,    // a size that is not a number: the graph and the dialog close, without a message
    };
    Status status = Status::Fault;
    std::string message;
    bool rangeChecked = false;  // the temperatures passed and are to be kept, whatever follows
    double yMax = 0, yMin = 0;
    int widthSteps = 0, heightSteps = 0;
    double spanSeconds = 0;
};

Outcome Check(const Request& request, double unitTempMax, double unitTempMin);

// The plot range dialog: temperatures T1 (bottom) and T2 (top), records R1 to R2 of `records`.
struct PlotOutcome {
    std::string message;  // empty when accepted
    double yMin = 0, yMax = 0;
    long firstRecord = 0, lastRecord = 0;
};
PlotOutcome CheckPlot(std::string_view t1, std::string_view t2, std::string_view r1, std::string_view r2,
                      double unitTempMin, double unitTempMax, long records);

}  // namespace RangeInput
