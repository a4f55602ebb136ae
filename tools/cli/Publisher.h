#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct mosquitto;

// An MQTT connection that never makes its caller wait for the network: the caller hands over
// messages, and a thread of its own connects (again and again, with a growing pause), sends them in
// order and keeps each one until the broker has taken it (PUBACK at QoS 1). Every connection
// starts from a new client, so what goes out after a reconnection is exactly what was not yet
// acknowledged, from the oldest on.
class Publisher {
public:
    struct Settings {
        std::string host;
        int port = 1883;
        std::string clientId;
        std::string username;                 // empty: none
        std::optional<std::string> password;  // with the username
        std::string cafile;                   // TLS when set
        int qos = 1;
        std::string willTopic, willPayload;   // retained, sent by the broker when we vanish
        std::size_t capacity = 3600;          // samples that may wait; the oldest go beyond
        int keepaliveSeconds = 30;
    };

    // `say` gets one line per change of the connection's state, from the sending thread.
    Publisher(Settings settings, std::function<void(const std::string&)> say);
    ~Publisher();
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    // Starts the sending thread; false (with the reason) when libmosquitto refuses the settings.
    bool Start(std::string& why);

    // One sample, not retained, after all the ones before it.
    void Send(const std::string& topic, std::string payload);
    // The value a retained topic has from now on; sent at once and again on every connection.
    void Retain(const std::string& topic, std::string payload);

    // Why trying again will not help, so that the program ends: the broker refused the username or
    // password, or its certificate does not verify with the CA file.
    enum class Refusal { None, Credentials, Certificate };
    Refusal Refused() const { return refused_; }

    // What became of the samples handed over.
    struct Outcome {
        std::size_t delivered = 0;    // taken by the broker
        std::size_t dropped = 0;      // the oldest, when more waited than the capacity
        std::size_t undelivered = 0;  // still waiting at the end
    };

    // Sends what waits for up to `limitSeconds` while connected, disconnects cleanly and ends the
    // thread.
    Outcome Stop(double limitSeconds);

private:
    struct Message {
        std::string topic, payload;
        int mid = 0;  // the message id of its PUBLISH in this connection; 0 while not sent
    };
    struct RetainedTopic {
        std::string topic, payload;
        bool due = true;  // to be sent in this connection
        int mid = 0;
    };

    static constexpr std::size_t Window = 100;  // samples sent and not yet acknowledged
    static constexpr double FirstPause = 1, LongestPause = 30;

    void Run();
    bool Connect();
    void Lost(const std::string& why);
    void Feed();
    void ApplyAcknowledgements();
    bool Flushed();
    std::string BrokerName() const;  // "broker HOST:PORT", as the state lines name it
    void SayState(const std::string& line);
    void Wake();

    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    Settings settings_;
    std::function<void(const std::string&)> say_;
    std::thread thread_;
    int wakeFd_ = -1;

    std::mutex mutex_;  // guards what the caller's thread and the sending thread share below
    std::deque<Message> queue_;
    std::vector<RetainedTopic> retained_;
    bool stopping_ = false;
    double stopDeadline_ = 0;
    std::size_t dropped_ = 0;  // since the last connection
    bool droppingSaid_ = false;
    std::size_t droppedInAll_ = 0;
    std::size_t delivered_ = 0;

    // The sending thread's own.
    mosquitto* client_ = nullptr;
    bool connected_ = false;
    int connackRefusal_ = 0;  // a CONNACK refusal that another try may overcome
    std::string tlsError_;    // what OpenSSL said of this connection's last TLS failure
    double connectStarted_ = 0;
    std::vector<int> acknowledged_;
    std::string lastState_;
    std::atomic<Refusal> refused_ = Refusal::None;
};
