#pragma once

#include <sys/types.h>

#include <csignal>

#include <string>

// Mosquitto run for a test on 127.0.0.1, on a port that was free, from a configuration of its own
// in a private folder (which also keeps its persistence file, when `extraConfig` asks for one).
class MqttBroker {
  public:
    // The broker program; empty when Mosquitto is not installed.
    static std::string Program();
    // The path of one of Mosquitto's client programs (mosquitto_sub, mosquitto_pub, ...).
    static std::string ClientProgram(const std::string& name);

    explicit MqttBroker(std::string extraConfig = {});
    ~MqttBroker();
    MqttBroker(const MqttBroker&) = delete;
    MqttBroker& operator=(const MqttBroker&) = delete;

    // Starts it (again, on the same port) and waits up to 10 s until it takes connections.
    bool Start();
    // `signal` (SIGTERM: a clean shutdown), and waits until it has ended.
    void Stop(int signal = SIGTERM);
    // Stops it where it stands (SIGSTOP): its connections stay open, nothing is read from them.
    void Freeze();

    int Port() const { return port_; }
    const std::string& Folder() const { return folder_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    std::string folder_;
    std::string extraConfig_;
    int port_ = 0;
    pid_t pid_ = -1;
};
