#include "MqttSubscriber.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ChildProcess.h"
#include "MqttBroker.h"
#include "WaitUntil.h"

MqttSubscriber::MqttSubscriber(int port, std::string topic, std::vector<std::string> extraArgs)
    : port_(port), topic_(std::move(topic)), extraArgs_(std::move(extraArgs)) {
    static int count = 0;
    const std::string id = std::to_string(getpid()) + "-" + std::to_string(++count);
    probeTopic_ = "tq36-test-probe/" + id;
    output_ = (std::filesystem::temp_directory_path() / ("tq36-sub-" + id + ".txt")).string();
    std::filesystem::remove(output_);
}

MqttSubscriber::~MqttSubscriber() {
    Stop();
    std::error_code ignored;
    std::filesystem::remove(output_, ignored);
}

bool MqttSubscriber::Start() {
    std::vector<std::string> args = {MqttBroker::ClientProgram("mosquitto_sub"), "-h", "127.0.0.1", "-p",
                                     std::to_string(port_), "-q", "1", "-t", topic_, "-t", probeTopic_,
                                     "-F", "%U %r %t %p"};
    args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
    pid_ = ChildProcess::Spawn(args, output_);
    if (pid_ <= 0) return false;
    const std::string pub = MqttBroker::ClientProgram("mosquitto_pub");
    return WaitUntil(
        [&] {
            const pid_t probe = ChildProcess::Spawn(
                {pub, "-h", "127.0.0.1", "-p", std::to_string(port_), "-t", probeTopic_, "-m", "probe"});
            int status = 0;
            waitpid(probe, &status, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::ifstream file(output_);
            std::stringstream text;
            text << file.rdbuf();
            return text.str().find(probeTopic_) != std::string::npos;
        },
        std::chrono::seconds(10));
}

void MqttSubscriber::Stop() {
    ChildProcess::End(pid_);
    pid_ = -1;
}

std::vector<MqttMessage> MqttSubscriber::Messages() const {
    std::vector<MqttMessage> messages;
    std::ifstream file(output_);
    std::string line;
    while (std::getline(file, line)) {
        if (file.eof()) break;  // the last line is still being written
        // "received retained topic payload"; a line still being written has no payload yet.
        std::istringstream fields(line);
        MqttMessage m;
        int retained = 0;
        if (!(fields >> m.received >> retained >> m.topic) || m.topic == probeTopic_) continue;
        m.retained = retained != 0;
        std::getline(fields, m.payload);
        if (!m.payload.empty() && m.payload.front() == ' ') m.payload.erase(0, 1);
        messages.push_back(std::move(m));
    }
    return messages;
}

std::vector<MqttMessage> MqttSubscriber::Messages(const std::string& topic) const {
    std::vector<MqttMessage> matching;
    for (MqttMessage& m : Messages())
        if (m.topic == topic) matching.push_back(std::move(m));
    return matching;
}
