#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>

#include "CommandSupport.h"
#include "Commands.h"
#include "Publication.h"
#include "Publisher.h"

namespace Cli {

namespace {

// "HOST", "HOST:PORT", "[IPv6]" or "[IPv6]:PORT"; false when malformed.
bool SplitBroker(const std::string& text, int defaultPort, std::string& host, int& port) {
    std::string portText;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string::npos) return false;
        host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1)) return false;
        if (!rest.empty()) portText = rest.substr(1);
    } else {
        const std::size_t colon = text.rfind(':');
        host = text.substr(0, colon);
        if (colon != std::string::npos) portText = text.substr(colon + 1);
    }
    port = defaultPort;
    if (!portText.empty()) {
        const auto [ptr, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (ec != std::errc() || ptr != portText.data() + portText.size() || port < 1 || port > 65535)
            return false;
    }
    return !host.empty() && (text.starts_with('[') || host.find(':') == std::string::npos);
}

// The first line of a password file, without its line end.
std::optional<std::string> ReadPassword(const std::string& path, std::string& why) {
    std::ifstream file(path);
    if (!file) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    std::string line;
    std::getline(file, line);
    if (file.bad()) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    if (line.ends_with('\r')) line.pop_back();
    return line;
}

// A password that other users may read is no secret: said, as ssh says it of a key, though used.
void WarnOfReadablePassword(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || (st.st_mode & (S_IRGRP | S_IROTH)) == 0) return;
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    Say("tq36-cli: warning: other users may read the password file " + path + " (mode " + mode +
        "); chmod 600 " + path + " keeps it to its owner");
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

}  // namespace

int Publish(const Options& options) {
    std::string host;
    int port = 0;
    if (!SplitBroker(options.broker, options.cafile.empty() ? 1883 : 8883, host, port)) {
        Say("tq36-cli: --broker takes HOST or HOST:PORT ([ADDRESS]:PORT for IPv6), not '" + options.broker +
            "'");
        return Usage;
    }
    const std::string com = std::to_string(options.com);
    const std::string prefix = options.topic.empty() ? "tq36/com" + com : options.topic;
    Publisher::Settings settings{.host = host,
                                 .port = port,
                                 .clientId = options.clientId.empty() ? "tq36-" + HostName() + "-com" + com
                                                                      : options.clientId,
                                 .username = options.username,
                                 .password = std::nullopt,
                                 .cafile = options.cafile,
                                 .qos = options.qos,
                                 .willTopic = prefix + "/availability",
                                 .willPayload = "offline"};
    if (!options.passwordFile.empty()) {
        std::string why;
        settings.password = ReadPassword(options.passwordFile, why);
        if (!settings.password) {
            Say("tq36-cli: the password file " + options.passwordFile + " cannot be read (" + why + ")");
            return Usage;
        }
        WarnOfReadablePassword(options.passwordFile);
    }
    if (!options.cafile.empty() && access(options.cafile.c_str(), R_OK) != 0) {
        Say("tq36-cli: the CA file " + options.cafile + " cannot be read (" + std::strerror(errno) + ")");
        return Usage;
    }

    std::mutex sayLock;  // the publisher's thread speaks too
    auto say = [&sayLock](const std::string& line) {
        std::lock_guard lock(sayLock);
        Say(TimeOfDay().text + "  " + line);
    };
    Publisher publisher(settings, say);
    // Named as identified: the PC's name would follow the meter to another PC, and the manual
    // promises a name the user chose with --device-id.
    const std::string device = options.deviceId.empty() ? MeterIdentity(options.com) : options.deviceId;
    Publication publication({.com = options.com,
                             .interval = options.interval,
                             .prefix = prefix,
                             .haDiscovery = options.haDiscovery,
                             .device = {device, device, prefix, VersionText().substr(0, VersionText().size() - 1),
                                        TQ36_SUPPORT_URL}},
                            publisher, say);
    if (const int status = OpenMeter(publication.Engine(), options.com); status != Ok) return status;
    // A broken connection is the publisher's to notice, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    std::string why;
    if (!publisher.Start(why)) {
        Say("tq36-cli: " + why);
        return Usage;
    }
    say("publishing COM " + com + " to " + host + ":" + std::to_string(port) + " under " + prefix +
        "/, every " + std::to_string(options.interval) + " s, QoS " + std::to_string(options.qos));

    Drive(
        publication.Engine(),
        [&] {
            publication.CheckSilence();
            return publisher.Refused() == Publisher::Refusal::None;
        },
        true);
    publication.Close();
    const Publisher::Outcome outcome = publisher.Stop(3);
    switch (publisher.Refused()) {
        case Publisher::Refusal::None:
            break;
        case Publisher::Refusal::Credentials:
            Say(options.username.empty()
                    ? "tq36-cli: the broker lets in only users it knows; give --username and --password-file"
                    : "tq36-cli: the broker does not take this username and password; check --username and "
                      "--password-file");
            return NoPermission;
        case Publisher::Refusal::Certificate:
            Say("tq36-cli: the broker's certificate does not verify with " + options.cafile +
                "; check that --cafile holds the CA that signed it and that --broker names the host it was made for");
            return NoPermission;
    }
    say(DeliverySummary(publication.Samples(), outcome));
    return Ok;
}

}  // namespace Cli
