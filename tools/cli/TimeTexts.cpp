#include "TimeTexts.h"

#include <cstdio>

#include "acquisition/LocalTimestamp.h"

namespace Cli {

std::string ElapsedText(long seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string IsoTimestamp(const std::tm& local) { return LocalTimestamp::Iso(local); }

}  // namespace Cli
