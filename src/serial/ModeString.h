#pragma once

#include <termios.h>

#include <optional>
#include <string>

// Serial line settings in the classic mode syntax, either "baud=9600 parity=N data=8 stop=1"
// (keys baud, parity, data, stop, xon, octs; case does not matter) or the short form
// "9600,N,8,1". Only what the text names changes the framing; flow control is off unless the
// text turns it on. Anything unknown makes the whole text invalid, so a typo never leaves the
// port half configured.
class ModeString {
  public:
    enum class StopBits { One, OneAndHalf, Two };

    static std::optional<ModeString> Parse(const std::string& text);

    // Puts the line into raw mode (no echo, no line editing, reads never wait) and applies the
    // settings named; the character size and parity of `line` stay unless the text sets them.
    void ApplyTo(termios& line) const;

    std::optional<int> baud;
    std::optional<char> parity;  // 'N', 'E', 'O', 'M' or 'S'
    std::optional<int> dataBits;
    std::optional<StopBits> stopBits;
    std::optional<bool> softwareFlow;  // xon=on: XON/XOFF in both directions
    std::optional<bool> hardwareFlow;  // octs=on: RTS/CTS handshake

  private:
    bool SetKey(const std::string& key, const std::string& value);
    bool SetBaud(const std::string& value);
    bool SetParity(const std::string& value);
    bool SetDataBits(const std::string& value);
    bool SetStopBits(const std::string& value);
    static std::optional<bool> OnOff(const std::string& value);
};
