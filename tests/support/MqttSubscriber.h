#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct MqttMessage {
    double received = 0;  // seconds since the epoch, as the subscriber took it
    bool retained = false;
    std::string topic, payload;
};

// mosquitto_sub on 127.0.0.1 as an independent reader of what a program publishes: every message
// that matches `topic` (QoS 1) with the time it came, to be read back at any moment.
class MqttSubscriber {
  public:
    // `extraArgs` go to mosquitto_sub as they are (e.g. "-c", "-i", ID for a lasting session).
    MqttSubscriber(int port, std::string topic, std::vector<std::string> extraArgs = {});
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    // Starts it and waits (up to 10 s) until its subscription holds: a probe message came back.
    bool Start();
    void Stop();

    // What came so far, in order, the probes left out.
    std::vector<MqttMessage> Messages() const;
    std::vector<MqttMessage> Messages(const std::string& topic) const;

  private:
    int port_;
    std::string topic_, probeTopic_, output_;
    std::vector<std::string> extraArgs_;
    pid_t pid_ = -1;
};
