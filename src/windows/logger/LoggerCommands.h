#pragma once

#include <functional>

class DataLogger;
class MeterLink;
class QObject;

// "Memory" on the main toolbar: reads the meter's logger out into `logger`, whose sets the data
// lists open.
//
// The download runs in the meter link's engine; what it tells is shown as it comes, for as long
// as `owner` lives. `showTime` puts the time of the download where the main window keeps it, once
// the sets are listed. False when no download was started (one runs, or the meter is offline).
bool StartMemoryDownload(MeterLink& link, DataLogger& logger, QObject& owner, std::function<void()> showTime);
