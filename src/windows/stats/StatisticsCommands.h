#pragma once

class MeterLink;
class StatisticsState;

// The main window's AVG command: opens "AVG2" for a two-channel meter or "AVG1" for a one-channel
// meter, gathering in the meter's present unit. A window that the meter's change of channels
// left open but stopped ("AVG1" stays so) gives way: one statistics window is open at a time.
// Does nothing while the meter is offline or a statistics window is already open.
void OpenStatistics(MeterLink& link, StatisticsState& state);
