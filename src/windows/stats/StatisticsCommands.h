#pragma once

class MeterLink;

// The main window's AVG command: opens "AVG2" for a two-channel meter or "AVG1" for a one-channel
// meter, gathering in the meter's present unit. A window that the meter's change of channels
// left open but stopped ("AVG1" stays so) gives way: one statistics window is open at a time.
// Does nothing while the meter is offline or a statistics window is already open.
void OpenStatistics(MeterLink& link);

// For the main window's sampling tick: statistics gathered for one channel layout mean nothing
// for the other, so a change of the meter's channels closes the open statistics windows.
void CloseStatisticsOnChannelChange(const MeterLink& link);
