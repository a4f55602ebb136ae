#pragma once

#include <ctime>
#include <string>

// Dates and times on the clock of the day, with the offset from UTC in force at their instant
// (the zone of the process, TZ or the system's), as ISO 8601 has them.
namespace LocalTimestamp {

// "2026-12-08T02:49:09+01:00".
std::string Iso(const std::tm& local);

// The timestamp of a sample taken at `secondOfDay` (as the sample's time of day has it) when the
// calendar clock read `calendarSeconds` (seconds since 1970 UTC) with it. The two are read one after
// the other, so a second may begin between them, also the one of midnight or of a change of the
// offset: the sample's instant is the one nearest the calendar reading that has its second of the
// day, and its date and offset are that instant's.
std::string OfSample(double calendarSeconds, int secondOfDay);

}  // namespace LocalTimestamp
