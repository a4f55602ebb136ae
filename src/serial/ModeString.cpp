#include "serial/ModeString.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <string_view>
#include <utility>

namespace {

constexpr std::array<std::pair<int, speed_t>, 30> SpeedTable{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
}};

std::optional<speed_t> SpeedOf(int baud) {
    for (const auto& [rate, speed] : SpeedTable) {
        if (rate == baud) return speed;
    }
    return std::nullopt;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whole-string decimal number without sign or blanks.
std::optional<int> Number(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::optional<ModeString> ModeString::Parse(const std::string& text) {
    ModeString mode;
    bool anything = false;
    if (text.find(',') != std::string::npos) {
        // Short form: baud,parity,data,stop[,x|p]; empty fields leave that setting alone.
        std::array<const char*, 4> keys{"baud", "parity", "data", "stop"};
        std::stringstream fields(text);
        std::string field;
        std::size_t index = 0;
        while (std::getline(fields, field, ',')) {
            field.erase(0, field.find_first_not_of(" \t"));
            field.erase(field.find_last_not_of(" \t") + 1);
            if (index > 4) return std::nullopt;
            if (!field.empty()) {
                if (index < keys.size()) {
                    if (!mode.SetKey(keys[index], field)) return std::nullopt;
                } else if (Lower(field) == "x") {
                    mode.softwareFlow = true;
                } else if (Lower(field) == "p") {
                    mode.hardwareFlow = true;
                } else {
                    return std::nullopt;
                }
                anything = true;
            }
            ++index;
        }
    } else {
        std::istringstream words(text);
        std::string word;
        while (words >> word) {
            std::size_t equals = word.find('=');
            if (equals == std::string::npos) return std::nullopt;
            if (!mode.SetKey(Lower(word.substr(0, equals)), word.substr(equals + 1))) {
                return std::nullopt;
            }
            anything = true;
        }
    }
    if (!anything) return std::nullopt;
    return mode;
}

bool ModeString::SetKey(const std::string& key, const std::string& value) {
    if (key == "baud") return SetBaud(value);
    if (key == "parity") return SetParity(value);
    if (key == "data") return SetDataBits(value);
    if (key == "stop") return SetStopBits(value);
    if (key == "xon" || key == "octs") {
        std::optional<bool> state = OnOff(value);
        if (!state) return false;
        (key == "xon" ? softwareFlow : hardwareFlow) = state;
        return true;
    }
    return false;
}

bool ModeString::SetBaud(const std::string& value) {
    std::optional<int> rate = Number(value);
    if (!rate || !SpeedOf(*rate)) return false;
    baud = rate;
    return true;
}

bool ModeString::SetParity(const std::string& value) {
    if (value.size() != 1) return false;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
    if (std::string_view("NEOMS").find(letter) == std::string_view::npos) return false;
    parity = letter;
    return true;
}

bool ModeString::SetDataBits(const std::string& value) {
    std::optional<int> bits = Number(value);
    if (!bits || *bits < 5 || *bits > 8) return false;
    dataBits = bits;
    return true;
}

bool ModeString::SetStopBits(const std::string& value) {
    if (value == "1") {
        stopBits = StopBits::One;
    } else if (value == "1.5") {
        stopBits = StopBits::OneAndHalf;
    } else if (value == "2") {
        stopBits = StopBits::Two;
    } else {
        return false;
    }
    return true;
}

std::optional<bool> ModeString::OnOff(const std::string& value) {
    std::string word = Lower(value);
    if (word == "on") return true;
    if (word == "off") return false;
    return std::nullopt;
}

void ModeString::ApplyTo(termios& line) const {
    // cfmakeraw would also force 8 data bits and no parity; keep those unless named.
    const tcflag_t framing = line.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR);
    cfmakeraw(&line);
    line.c_cflag = (line.c_cflag & ~(CSIZE | PARENB | PARODD | CMSPAR)) | framing;
    line.c_cflag |= CLOCAL | CREAD;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;

    if (baud) {
        speed_t speed = *SpeedOf(*baud);
        cfsetispeed(&line, speed);
        cfsetospeed(&line, speed);
    }
    if (parity) {
        line.c_cflag &= ~(PARENB | PARODD | CMSPAR);
        switch (*parity) {
            case 'E':
                line.c_cflag |= PARENB;
                break;
            case 'O':
                line.c_cflag |= PARENB | PARODD;
                break;
            case 'M':
                line.c_cflag |= PARENB | PARODD | CMSPAR;
                break;
            case 'S':
                line.c_cflag |= PARENB | CMSPAR;
                break;
            default:
                break;
        }
    }
    if (dataBits) {
        static constexpr std::array<tcflag_t, 4> sizes{CS5, CS6, CS7, CS8};
        line.c_cflag = (line.c_cflag & ~CSIZE) | sizes[*dataBits - 5];
    }
    if (stopBits) {
        // The line knows one or two stop bits; one and a half is sent as two.
        if (*stopBits == StopBits::One) {
            line.c_cflag &= ~CSTOPB;
        } else {
            line.c_cflag |= CSTOPB;
        }
    }
    // Flow control the text does not ask for is off, whatever the device's previous user left:
    // a handshake nobody answers would stall the logger commands on some adapters.
    if (softwareFlow.value_or(false)) {
        line.c_iflag |= IXON | IXOFF;
    } else {
        line.c_iflag &= ~(IXON | IXOFF | IXANY);
    }
    if (hardwareFlow.value_or(false)) {
        line.c_cflag |= CRTSCTS;
    } else {
        line.c_cflag &= ~CRTSCTS;
    }
}
