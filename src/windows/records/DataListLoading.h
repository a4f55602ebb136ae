#pragma once

class DataLogger;

// A click on a set in "Data Logger": asks for the time at which the set's recording started and
// fills the data list that matches the set's channel layout with its records, cut from the
// memory the last download left in `logger`.
void OpenDataSet(const DataLogger& logger, int setNumber);
