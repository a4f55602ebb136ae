#pragma once

#include <termios.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The program's serial port driver over termios. Ports are addressed by COM number (0 to 256) and
// resolved to devices through PortNames. Every failure is recorded as code (errno), source and
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
        termios saved{};  // settings found at open, restored at close
        bool haveSaved = false;
    };

    long RecordSystemError(const std::string& source, int code);
    long RecordLineError(const std::string& source, int code, PortEntry& entry);
    long RecordFault(const std::string& source, long code, const std::string& message);
    PortEntry& Entry(int port);
    const PortEntry& Entry(int port) const;

    int inBufferSize_ = 0;
    int outBufferSize_ = 0;
    long lastErrorCode_ = 0;
    std::string lastErrorSource_;
    std::string lastErrorMessage_;
    std::array<PortEntry, MaxPort + 1> ports_{};
};
