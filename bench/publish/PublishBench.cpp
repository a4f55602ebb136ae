// tq36-cli publish figures against the simulated meter and Mosquitto on 127.0.0.1:
//   1. publishing at 1-s sampling for N minutes: the publisher's CPU share of one core and its
//      resident memory; from the second a sample falls due to its message at a subscriber
//      (median and largest);
//   2. an hour's queue: 3600 samples waiting in the publisher while the broker is away, the
//      publisher's reconnection pause grown to its 30 s; from the broker's return to the last of
//      them at the subscriber.
//
//   bench_publish [minutes of publishing, default 1; the figures quoted are for 10]

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "ChildProcess.h"
#include "MqttBroker.h"
#include "MqttSubscriber.h"
#include "Publisher.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "WaitUntil.h"

namespace {

double WallNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The seconds since the epoch of an ISO 8601 time with its offset ("2026-12-07T14:03:07+01:00").
double EpochOf(const std::string& iso) {
    std::tm t{};
    int offsetHours = 0, offsetMinutes = 0;
    char sign = '+';
    if (std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d%c%d:%d", &t.tm_year, &t.tm_mon, &t.tm_mday, &t.tm_hour, &t.tm_min,
                    &t.tm_sec, &sign, &offsetHours, &offsetMinutes) != 9)
        return 0;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    const double offset = (offsetHours * 3600 + offsetMinutes * 60) * (sign == '-' ? -1 : 1);
    return static_cast<double>(timegm(&t)) - offset;
}

std::string Field(const std::string& json, const std::string& key) {
    const std::size_t at = json.find("\"" + key + "\":\"");
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size() + 4;
    return json.substr(start, json.find('"', start) - start);
}

void PublishingAtOneSecond(const std::string& cli, int minutes) {
    SimulatedMeter meter(3, {"--channels", "2", "--wave", "sine"});
    MqttBroker broker;
    if (!meter.Start() || !broker.Start()) {
        std::printf("publishing: the simulator or the broker did not start\n");
        return;
    }
    MqttSubscriber subscriber(broker.Port(), "tq36/com3/state");
    if (!subscriber.Start()) return;
    const pid_t publisher = ChildProcess::Spawn({cli, "publish", "--com", "3", "--broker", broker.Address()});
    // Past the start (the first connection, the first frames) before counting.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double cpuStart = Bench::CpuSecondsOf(publisher), wallStart = WallNow();
    const std::size_t samplesBefore = subscriber.Messages().size();
    std::this_thread::sleep_for(std::chrono::minutes(minutes));
    const double cpu = Bench::CpuSecondsOf(publisher) - cpuStart, wall = WallNow() - wallStart;
    const long rss = Bench::StatusKb(publisher, "VmRSS"), peak = Bench::StatusKb(publisher, "VmHWM");
    ChildProcess::End(publisher);

    std::vector<double> latencies;
    const std::vector<MqttMessage> states = subscriber.Messages();
    for (std::size_t i = samplesBefore; i < states.size(); ++i) {
        const double due = EpochOf(Field(states[i].payload, "timestamp"));
        if (due > 0) latencies.push_back(1000 * (states[i].received - due));
    }
    if (latencies.empty()) {
        std::printf("publishing: no sample arrived\n");
        return;
    }
    const double largest = *std::max_element(latencies.begin(), latencies.end());
    std::printf("publish %d min at 1-s sampling: %zu samples, CPU %.2f s = %.3f %% of one core, resident %ld KB "
                "(peak %ld KB)\n",
                minutes, latencies.size(), cpu, 100 * cpu / wall, rss, peak);
    std::printf("  sample due -> message at a subscriber on loopback: median %.1f ms, largest %.1f ms\n",
                Bench::Median(latencies), largest);
}

void AnHoursQueue() {
    constexpr int Samples = 3600;
    MqttBroker broker;
    if (!broker.Start()) return;
    broker.Stop();
    Publisher::Settings settings;
    settings.host = "127.0.0.1";
    settings.port = broker.Port();
    settings.clientId = "tq36-bench-queue";
    settings.willTopic = "tq36/bench/availability";
    settings.willPayload = "offline";
    std::vector<std::string> said;
    Publisher publisher(settings, [&](const std::string& line) { said.push_back(line); });
    std::string why;
    if (!publisher.Start(why)) {
        std::printf("queue: %s\n", why.c_str());
        return;
    }
    // Samples as the command makes them, an hour's worth, while the broker is away.
    const std::string sample = R"(,"time":"14:03:07","timestamp":"2026-12-07T14:03:07+01:00","t1":23.5,)"
                               R"("t2":21.0,"t1_t2":2.5,"unit":"C","type":"K","channels":2})";
    for (int i = 1; i <= Samples; ++i) publisher.Send("tq36/bench/state", "{\"sample\":" + std::to_string(i) + sample);
    // Failing attempts after 1, 2, 4, 8 and 16 s: the pause is now at its longest, 30 s.
    std::this_thread::sleep_for(std::chrono::seconds(32));
    const double back = WallNow();
    if (!broker.Start()) return;
    MqttSubscriber subscriber(broker.Port(), "tq36/bench/state");
    subscriber.Start();
    const double subscribed = WallNow();
    const bool all = WaitUntil([&] { return subscriber.Messages().size() >= Samples; }, std::chrono::seconds(120));
    const std::vector<MqttMessage> got = subscriber.Messages();
    publisher.Stop(1);
    if (!all || got.empty()) {
        std::printf("an hour's queue: only %zu of %d samples arrived\n", got.size(), Samples);
        return;
    }
    const double first = got.front().received, last = got.back().received;
    std::printf("an hour's queue (%d samples): the last at the subscriber %.1f s after the broker's return "
                "(reconnection after the publisher's pause: %.1f s; then all %zu in %.2f s; subscriber ready "
                "after %.1f s)\n",
                Samples, last - back, first - back, got.size(), last - first, subscribed - back);
}

}  // namespace

int main(int argc, char* argv[]) {
    const char* sim = Bench::Simulator();
    if (!sim) return 1;
    if (MqttBroker::Program().empty()) {
        std::printf("Mosquitto is not installed (tools/scripts/deps.sh installs it)\n");
        return 1;
    }
    const std::string cli = Bench::CliBeside(sim);
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 1;
    TempPortsDir ports;
    PublishingAtOneSecond(cli, minutes);
    AnHoursQueue();
    return 0;
}
