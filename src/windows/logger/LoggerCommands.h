#pragma once

#include <functional>

class MeterLink;
class QObject;

// The two things a user does with the meter's logger: read it out ("Memory" on the main toolbar)
// and open one of its data sets as a data list (a click on a set in "Data Logger").
//
// The download runs in the meter link's engine; what it tells is shown as it comes, for as long
// as `owner` lives. `showTime` puts the time of the download where the main window keeps it, once
// the sets are listed. False when no download was started (one runs, or the meter is offline).
bool StartMemoryDownload(MeterLink& link, QObject& owner, std::function<void()> showTime);
// Asks for the time at which the set's recording started and fills the data list that matches
// the meter's channel mode with its records.
void OpenDataSet(int setNumber);
