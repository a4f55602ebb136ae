#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "serial/ComPortAPI.h"

// The table of opened ports with a receive buffer each, and the routines the windows use to talk
// to the meter. All of it is program-wide state of the user-interface thread.
namespace Rs232_API {

inline constexpr int MaxOpenPorts = 10;
inline constexpr const char* MeterSettings = "baud=9600 parity=N data=8 stop=1";

struct OpenPortEntry {
    int number = 0;
    std::string name;  // "COM" + number
    std::string settings;
    std::vector<std::uint8_t> receiveBuffer;
};

ComPortAPI& PortDriver();
// Entries 1 to 10; entry(0) is not used.
OpenPortEntry& OpenPorts(int index);
int& OpenPortCount();
int& CurrentPortIndex();

// Waits without using the CPU. Nothing that waits for the meter runs on the user interface's thread.
void Delay(double seconds);

// Tries every COM number 1 to 256 and returns those that exist and could be opened (ports this
// program already holds and legacy serial nodes without a UART are left out); each found port is
// closed again. progress(i) is called before each try.
std::vector<int> ScanPorts(const std::function<void(int)>& progress = {});

// Closes and reopens the port and enters it in the table: in its existing entry when the number
// is listed already, else in a new one. False only when 10 other ports fill the table. Whether
// the port actually opened is left to the driver's state (PortDriver().IsOpen).
bool OpenPort(int number, const std::string& settings);
// Closes the entry's port and removes the entry; the last entry keeps its number so that
// OpenPort can bring it back. Indices outside 1 to OpenPortCount are ignored.
void ClosePort(int index);
void CloseAllPorts();
void ClearReceiveBuffer();
long ReceiveBytes();
void SendBytes(const std::vector<std::uint8_t>& data);

// Back to the state at program start (no entries, a fresh driver); used by tests.
void Reset();

}  // namespace Rs232_API
