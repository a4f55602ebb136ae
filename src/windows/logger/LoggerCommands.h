#pragma once

#include <functional>

// The two things a user does with the meter's logger: read it out ("Memory" on the main toolbar)
// and open one of its data sets as a data list (a click on a set in "Data Logger"). Both hold
// live polling off while they run and let it run again on every way out.
//
// `showTime` puts the time of the download where the main window keeps it.
void StartMemoryDownload(const std::function<void()>& showTime);
// Asks for the time at which the set's recording started and fills the data list that matches
// the meter's channel mode with its records.
void OpenDataSet(int setNumber);
