#pragma once

// The name each window is registered and found under, in one place.
namespace WindowNames {

inline constexpr const char* Port = "Port";
inline constexpr const char* SerialDevices = "SerialDevices";
inline constexpr const char* Panel = "Panel";
inline constexpr const char* Memory = "Memory";
inline constexpr const char* RealTimeGraph = "RealTime23";
inline constexpr const char* RealTimeRange = "RealTimeRange";
inline constexpr const char* Plot = "ListPlot1";
inline constexpr const char* PlotRange = "PlotRange";

// The twins: the two-channel window and the one-channel one.
inline constexpr const char* List(bool dual) { return dual ? "List2" : "List1"; }
inline constexpr const char* DataList(bool dual) { return dual ? "DataList2" : "DataList1"; }
inline constexpr const char* FileList(bool dual) { return dual ? "FileList2" : "FileList1"; }
inline constexpr const char* Avg(bool dual) { return dual ? "AVG2" : "AVG1"; }

}  // namespace WindowNames
