#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

// The program's serial port driver over termios. Ports are addressed by COM number (0 to 256);
// CommOpen finds the device from the port's name ("COM7" or a device path) through PortNames. Every failure is recorded as code (errno), source and
// message; CommGetError joins them for display. Nothing here shows anything to the user.
class ComPortAPI {
  public:
    static constexpr int MaxPort = 256;

    // Modem status masks for CommGetLine.
    static constexpr int LineCTS = 0x10;
    static constexpr int LineDSR = 0x20;
    static constexpr int LineRing = 0x40;
    static constexpr int LineCarrier = 0x80;

    // Lines for CommSetLine.
    static constexpr int SetBreak = 1;
    static constexpr int SetDTR = 2;
    static constexpr int SetRTS = 3;

    // Line-error flags appended to read and write failures.
    static constexpr unsigned ErrorQueueOverrun = 0x1;
    static constexpr unsigned ErrorOverrun = 0x2;
    static constexpr unsigned ErrorParity = 0x4;
    static constexpr unsigned ErrorFrame = 0x8;
    static constexpr unsigned ErrorBreak = 0x10;

    // Fault recorded when an operation is handed a port number outside 0 to 256.
    static constexpr long FaultSubscript = 9;

    ComPortAPI() = default;
    ~ComPortAPI();
    ComPortAPI(const ComPortAPI&) = delete;
    ComPortAPI& operator=(const ComPortAPI&) = delete;

    void Init_API();
    void SetInBuffer(int size);
    int GetInBuffer() const;
    void SetOutBuffer(int size);
    int GetOutBuffer() const;

    // The stored handle: 0 never opened, -1 after a failed open, else the descriptor + 1
    // (descriptors start at 0, handles at 1). Throws std::out_of_range outside 0 to 256.
    long IsActivity(int DevId) const;
    // Throws std::out_of_range outside 0 to 256.
    bool IsOpen(int DevId) const;
    // The open port's descriptor, to wait on for bytes; -1 when it is not open.
    int Descriptor(int DevId) const;
    // True for an open legacy serial node (/dev/ttyS*) with no UART behind it: the system lets
    // it open, but nothing can ever arrive there. False for every other port.
    bool IsPortWithoutUart(int DevId) const;

    std::string GetSystemMessage(long lngErrorCode) const;

    long CommOpen(int intPortID, const std::string& strPort, const std::string& strSettings);
    long CommSet(int intPortID, const std::string& strSettings);
    long CommClose(int intPortID);
    long CommFlush(int intPortID);
    long IsInBuffSize(int DevId);
    // Everything queued, in one call: strData becomes exactly the bytes read (lngSize is ignored);
    // 0 and strData untouched when nothing waited; -1 on error.
    long CommRead(int intPortID, std::vector<std::uint8_t>& strData, long lngSize);
    long CommWrite(int intPortID, const std::vector<std::uint8_t>& strData);
    long CommGetLine(int intPortID, int intLine, bool& blnState);
    long CommSetLine(int intPortID, int intLine, long blnState);
    long CommGetError(std::string& strMessage) const;

  private:
    struct PortEntry {
        long handle = 0;  // see IsActivity
        bool open = false;
        int fd = -1;  // valid only while open, so a closed port never reaches a reused descriptor
        bool pseudoTerminal = false;
        std::string device;  // the path the alias or table resolved to, links followed
        // Kept after close, from the last open that succeeded: the port's name, where that name
        // led (links followed), and the by-id name of the device opened, when it had one.
        std::string openedName;
        std::string namedDevice;
        std::string byId;
        termios control{};   // the settings being built and applied
        termios saved{};     // settings found at open, restored at close
        bool haveSaved = false;
        serial_icounter_struct counters{};  // line-error counters at the last look
    };

    long RecordSystemError(const std::string& source, int code);
    long RecordLineError(const std::string& source, int code, PortEntry& entry);
    long RecordFault(const std::string& source, const std::exception& fault);
    unsigned TakeLineErrors(PortEntry& entry);
    bool Tolerated(const PortEntry& entry, int code) const;
    long ApplySettings(PortEntry& entry, const std::string& strSettings, const std::string& label);
    static std::string FollowAdapter(const PortEntry& entry, const std::string& name, const std::string& named);
    int Release(PortEntry& entry);  // 0 or the errno of close
    PortEntry& Entry(int port);
    const PortEntry& Entry(int port) const;

    int inBufferSize_ = 0;
    int outBufferSize_ = 0;
    long lastErrorCode_ = 0;
    std::string lastErrorSource_;
    std::string lastErrorMessage_;
    std::array<PortEntry, MaxPort + 1> ports_{};
};
