#include "serial/Rs232_API.h"

#include <array>
#include <memory>
#include <stdexcept>

#include <chrono>
#include <thread>

namespace {

std::unique_ptr<ComPortAPI> driver;
std::array<Rs232_API::OpenPortEntry, Rs232_API::MaxOpenPorts + 1> entries;
int portCount = 0;
int currentIndex = 0;
constexpr long ReadSize = 2048;  // the driver returns everything queued whatever is asked

std::string PortName(int number) { return "COM" + std::to_string(number); }

bool IsTableIndex(int index) { return index >= 1 && index <= Rs232_API::MaxOpenPorts; }

Rs232_API::OpenPortEntry& Slot(int index) { return entries[static_cast<std::size_t>(index)]; }

}  // namespace

namespace Rs232_API {

ComPortAPI& PortDriver() {
    if (!driver) driver = std::make_unique<ComPortAPI>();
    return *driver;
}

OpenPortEntry& OpenPorts(int index) {
    if (index < 0 || index > MaxOpenPorts) throw std::out_of_range("port table index");
    return Slot(index);
}

int& OpenPortCount() { return portCount; }
int& CurrentPortIndex() { return currentIndex; }

void Delay(double seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::vector<int> ScanPorts(const std::function<void(int)>& progress) {
    std::vector<int> found;
    ComPortAPI& ports = PortDriver();
    for (int number = 1; number <= ComPortAPI::MaxPort; ++number) {
        if (progress) progress(number);
        long result = ports.CommOpen(number, PortName(number), MeterSettings);
        // A port we already hold answers -2 and must stay open; anything the system let us
        // open is closed again.
        if (ports.IsActivity(number) < 1 || result == -2) continue;
        if (!ports.IsPortWithoutUart(number)) found.push_back(number);
        ports.CommClose(number);
    }
    return found;
}

bool OpenPort(int number, const std::string& settings) {
    try {
        // A port already in the table is reopened in its own entry, so reconnecting the same
        // port again and again never fills the table.
        int index = 0;
        for (int i = 1; i <= portCount && index == 0; ++i) {
            if (Slot(i).number == number) index = i;
        }
        if (index == 0 && portCount >= MaxOpenPorts) return false;

        ComPortAPI& ports = PortDriver();
        ports.CommClose(number);
        ports.CommOpen(number, PortName(number), settings);

        if (index == 0) index = ++portCount;
        OpenPortEntry& entry = OpenPorts(index);
        entry.number = number;
        entry.name = PortName(number);
        entry.settings = settings;
        entry.receiveBuffer.clear();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ClosePort(int index) {
    // Only listed entries can be closed: anything else would lower the count below a port that
    // is still open, or below zero.
    if (index < 1 || index > portCount) return;
    PortDriver().CommClose(Slot(index).number);
    if (index < portCount) {
        for (int i = index; i < portCount; ++i) {
            Slot(i) = std::move(Slot(i + 1));
            Slot(i + 1) = OpenPortEntry{};
        }
    } else {
        // The last entry keeps its port so that OpenPort can bring it back.
        Slot(index).receiveBuffer.clear();
    }
    --portCount;
}

void CloseAllPorts() {
    for (int i = 1; i <= portCount; ++i) {
        PortDriver().CommClose(Slot(i).number);
        Slot(i) = OpenPortEntry{};
    }
    portCount = 0;
}

void ClearReceiveBuffer() {
    if (IsTableIndex(currentIndex)) Slot(currentIndex).receiveBuffer.clear();
}

long ReceiveBytes() {
    if (!IsTableIndex(currentIndex)) return 0;
    OpenPortEntry& entry = Slot(currentIndex);
    std::vector<std::uint8_t> arrived;
    long count = PortDriver().CommRead(entry.number, arrived, ReadSize);
    if (count > 0) entry.receiveBuffer.insert(entry.receiveBuffer.end(), arrived.begin(), arrived.end());
    if (entry.receiveBuffer.empty()) return count;
    return static_cast<long>(entry.receiveBuffer.size());
}

void SendBytes(const std::vector<std::uint8_t>& data) {
    if (!IsTableIndex(currentIndex)) return;
    PortDriver().CommWrite(Slot(currentIndex).number, data);
}

void Reset() {
    driver.reset();  // its destructor closes every port still open
    entries.fill(OpenPortEntry{});
    portCount = 0;
    currentIndex = 0;
}

}  // namespace Rs232_API
