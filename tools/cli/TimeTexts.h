#pragma once

#include <ctime>
#include <string>

// Times as tq36-cli writes them for people and for other programs.
namespace Cli {

// A length of time as hh:mm:ss, the hours going on past a day ("25:01:01").
std::string ElapsedText(long seconds);

// The local time with its date and offset from UTC, ISO 8601 ("2024-05-01T14:03:22+02:00").
std::string IsoTimestamp(const std::tm& local);

}  // namespace Cli
