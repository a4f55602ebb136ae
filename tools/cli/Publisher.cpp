#include "Publisher.h"

#include "Commands.h"

#include <mosquitto.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>

namespace {

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

// MQTT 3.1.1's CONNACK codes for credentials the broker does not take.
constexpr int BadUsernameOrPassword = 4, NotAuthorised = 5;
// A connection that has not been accepted by then is given up and tried again.
constexpr double ConnectLimitSeconds = 10;
// A message that was acknowledged, waiting for the ones before it.
constexpr int Acknowledged = -1;

std::string ErrorText(int rc, int savedErrno) {
    std::string text = rc == MOSQ_ERR_ERRNO ? std::strerror(savedErrno) : mosquitto_strerror(rc);
    if (text.ends_with('.')) text.pop_back();
    return text;
}

// The client's settings; an error text, empty when libmosquitto took them all.
std::string Configure(mosquitto* client, const Publisher::Settings& s) {
    mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // A sample is one small packet: it goes at once, not after the last one's acknowledgement.
    mosquitto_int_option(client, MOSQ_OPT_TCP_NODELAY, 1);
    if (!s.username.empty()) {
        const int rc = mosquitto_username_pw_set(client, s.username.c_str(), s.password ? s.password->c_str() : nullptr);
        if (rc != MOSQ_ERR_SUCCESS) return std::string("the username was refused: ") + mosquitto_strerror(rc);
    }
    if (!s.cafile.empty()) {
        const int rc = mosquitto_tls_set(client, s.cafile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) return s.cafile + " cannot be used as CA file: " + mosquitto_strerror(rc);
    }
    const int rc = mosquitto_will_set(client, s.willTopic.c_str(), static_cast<int>(s.willPayload.size()),
                                      s.willPayload.data(), s.qos, true);
    if (rc != MOSQ_ERR_SUCCESS) return std::string("the last will was refused: ") + mosquitto_strerror(rc);
    return {};
}

}  // namespace

Publisher::Publisher(Settings settings, std::function<void(const std::string&)> say)
    : settings_(std::move(settings)), say_(std::move(say)) {}

Publisher::~Publisher() {
    if (thread_.joinable()) Stop(0);
    if (wakeFd_ >= 0) close(wakeFd_);
}

bool Publisher::Start(std::string& why) {
    static const int initialised = mosquitto_lib_init();
    (void)initialised;
    mosquitto* trial = mosquitto_new(settings_.clientId.c_str(), true, nullptr);
    if (!trial) {
        why = std::string("no MQTT client could be made: ") + std::strerror(errno);
        return false;
    }
    why = Configure(trial, settings_);
    mosquitto_destroy(trial);
    if (!why.empty()) return false;
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // The stop signals belong to the sampling thread, whose waits watch for them.
    sigset_t stopSignals, previous;
    sigemptyset(&stopSignals);
    for (const int signal : Cli::StopSignals) sigaddset(&stopSignals, signal);
    pthread_sigmask(SIG_BLOCK, &stopSignals, &previous);
    thread_ = std::thread([this] { Run(); });
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return true;
}

void Publisher::Wake() {
    const std::uint64_t one = 1;
    if (write(wakeFd_, &one, sizeof one) < 0) {
        // The counter is full, so the thread is awake already.
    }
}

void Publisher::Send(const std::string& topic, std::string payload) {
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= settings_.capacity) {
            queue_.pop_front();
            ++dropped_;
            ++droppedInAll_;
            if (!droppingSaid_) {
                droppingSaid_ = true;
                say_(std::to_string(settings_.capacity) + " samples wait for the broker; from now on the oldest "
                                                          "is dropped for each new one");
            }
        }
        queue_.push_back({topic, std::move(payload)});
    }
    Wake();
}

void Publisher::Retain(const std::string& topic, std::string payload) {
    {
        std::lock_guard lock(mutex_);
        auto found = std::find_if(retained_.begin(), retained_.end(),
                                  [&](const RetainedTopic& r) { return r.topic == topic; });
        if (found == retained_.end()) {
            retained_.push_back({topic, std::move(payload)});
        } else if (found->payload != payload) {
            found->payload = std::move(payload);
            found->due = true;
        }
    }
    Wake();
}

Publisher::Outcome Publisher::Stop(double limitSeconds) {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        stopDeadline_ = Now() + limitSeconds;
    }
    Wake();
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    return {.delivered = delivered_,
            .dropped = droppedInAll_,
            .undelivered = static_cast<std::size_t>(std::count_if(
                queue_.begin(), queue_.end(), [](const Message& m) { return m.mid != Acknowledged; }))};
}

std::string Publisher::BrokerName() const { return "broker " + settings_.host + ":" + std::to_string(settings_.port); }

void Publisher::SayState(const std::string& line) {
    if (line == lastState_) return;
    lastState_ = line;
    say_(line);
}

void Publisher::OnConnect(mosquitto*, void* self, int rc) {
    auto* p = static_cast<Publisher*>(self);
    if (rc == 0) {
        p->connected_ = true;
    } else if (rc == BadUsernameOrPassword || rc == NotAuthorised) {
        p->refused_ = Refusal::Credentials;
        std::string why = mosquitto_connack_string(rc);
        if (why.ends_with('.')) why.pop_back();
        p->SayState(p->BrokerName() + " refused the connection (" + why + ")");
    } else {
        p->connackRefusal_ = rc;
    }
}

void Publisher::OnPublish(mosquitto*, void* self, int mid) { static_cast<Publisher*>(self)->acknowledged_.push_back(mid); }

void Publisher::OnLog(mosquitto*, void* self, int level, const char* text) {
    // The return codes say only "a TLS error"; what went wrong is in the log, as
    // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed". The first is the cause.
    auto* p = static_cast<Publisher*>(self);
    const std::string line = text ? text : "";
    if (level != MOSQ_LOG_ERR || !line.starts_with("OpenSSL Error") || !p->tlsError_.empty()) return;
    p->tlsError_ = line.substr(line.rfind(':') + 1);
    if (p->tlsError_.empty()) p->tlsError_ = line;
}

bool Publisher::Connect() {
    client_ = mosquitto_new(settings_.clientId.c_str(), true, this);
    if (!client_) {
        SayState("no MQTT client could be made: " + std::string(std::strerror(errno)));
        return false;
    }
    Configure(client_, settings_);
    mosquitto_max_inflight_messages_set(client_, Window);
    mosquitto_connect_callback_set(client_, OnConnect);
    mosquitto_publish_callback_set(client_, OnPublish);
    mosquitto_log_callback_set(client_, OnLog);
    connected_ = false;
    connackRefusal_ = 0;
    tlsError_.clear();
    connectStarted_ = Now();
    const int rc = mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, settings_.keepaliveSeconds);
    if (rc == MOSQ_ERR_SUCCESS) return true;
    Lost(ErrorText(rc, errno));
    return false;
}

void Publisher::Lost(const std::string& why) {
    const std::string broker = BrokerName();
    std::size_t waiting = 0;
    {
        std::lock_guard lock(mutex_);
        for (Message& m : queue_) {
            if (m.mid != Acknowledged) {
                m.mid = 0;
                ++waiting;
            }
        }
        for (RetainedTopic& r : retained_) {
            r.due = true;
            r.mid = 0;
        }
    }
    const std::string again = "; trying again, after 1 s and then doubling pauses up to 30 s";
    if (connected_) {
        SayState("connection to " + broker + " lost (" + (tlsError_.empty() ? why : "TLS: " + tlsError_) + "); " +
                 std::to_string(waiting) + " samples wait for it");
    } else if (tlsError_.find("certificate verify failed") != std::string::npos) {
        // Not the network's doing: the same certificate fails the same check on every try.
        refused_ = Refusal::Certificate;
        SayState(broker + " failed TLS verification with the CA file " + settings_.cafile + " (" + tlsError_ +
                 "): that CA did not sign its certificate, or the certificate is not for " + settings_.host);
    } else {
        SayState(broker + " unreachable (" + (tlsError_.empty() ? why : "TLS: " + tlsError_) + ")" + again);
    }
    mosquitto_destroy(client_);
    client_ = nullptr;
    connected_ = false;
    acknowledged_.clear();
}

void Publisher::Feed() {
    std::lock_guard lock(mutex_);
    for (RetainedTopic& r : retained_) {
        if (!r.due) continue;
        int mid = 0;
        if (mosquitto_publish(client_, &mid, r.topic.c_str(), static_cast<int>(r.payload.size()), r.payload.data(),
                              settings_.qos, true) != MOSQ_ERR_SUCCESS)
            return;  // the connection's failure shows in the next turn of the loop
        r.due = false;
        r.mid = mid;
    }
    std::size_t inFlight = 0;
    for (Message& m : queue_) {
        if (m.mid > 0) ++inFlight;
        if (m.mid != 0) continue;
        if (inFlight >= Window) break;
        int mid = 0;
        if (mosquitto_publish(client_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()), m.payload.data(),
                              settings_.qos, false) != MOSQ_ERR_SUCCESS)
            return;
        m.mid = mid;
        ++inFlight;
    }
}

void Publisher::ApplyAcknowledgements() {
    if (acknowledged_.empty()) return;
    std::lock_guard lock(mutex_);
    for (const int mid : acknowledged_) {
        auto retained = std::find_if(retained_.begin(), retained_.end(), [mid](const RetainedTopic& r) { return r.mid == mid; });
        if (retained != retained_.end()) {
            retained->mid = 0;
            continue;
        }
        auto sample = std::find_if(queue_.begin(), queue_.end(), [mid](const Message& m) { return m.mid == mid; });
        if (sample != queue_.end()) {
            sample->mid = Acknowledged;
            ++delivered_;
        }
    }
    acknowledged_.clear();
    while (!queue_.empty() && queue_.front().mid == Acknowledged) queue_.pop_front();
}

bool Publisher::Flushed() {
    return queue_.empty() && std::none_of(retained_.begin(), retained_.end(),
                                          [](const RetainedTopic& r) { return r.due || r.mid != 0; });
}

void Publisher::Run() {
    const std::string broker = BrokerName();
    double pause = FirstPause, retryAt = 0;
    while (refused_ == Refusal::None) {
        const double now = Now();
        {
            std::lock_guard lock(mutex_);
            if (stopping_ && (!connected_ || Flushed() || now >= stopDeadline_)) break;
        }
        if (!client_ && now >= retryAt) {
            if (!Connect()) {
                retryAt = now + pause;
                pause = std::min(pause * 2, LongestPause);
            }
        }
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {-1, 0, 0}};
        int timeoutMs = 1000;
        if (client_) {
            fds[1] = {mosquitto_socket(client_),
                      static_cast<short>(POLLIN | (mosquitto_want_write(client_) ? POLLOUT : 0)), 0};
        } else {
            timeoutMs = static_cast<int>(std::clamp((retryAt - now) * 1000, 0.0, 1000.0));
        }
        poll(fds, client_ ? 2 : 1, timeoutMs);
        std::uint64_t count = 0;
        if (read(wakeFd_, &count, sizeof count) < 0) {
            // Nothing was asked for: the socket or the time woke us.
        }
        if (!client_) continue;

        const bool wasConnected = connected_;
        const int rc = mosquitto_loop(client_, 0, 1);
        const int savedErrno = errno;
        if (refused_ != Refusal::None) break;
        if (connackRefusal_ != 0) {
            Lost(std::string("refused: ") + mosquitto_connack_string(connackRefusal_));
        } else if (rc != MOSQ_ERR_SUCCESS) {
            Lost(ErrorText(rc, savedErrno));
        } else if (!connected_ && Now() - connectStarted_ > ConnectLimitSeconds) {
            Lost("no answer");
        }
        if (!client_) {
            retryAt = Now() + pause;
            pause = std::min(pause * 2, LongestPause);
            continue;
        }
        if (connected_ && !wasConnected) {
            pause = FirstPause;
            std::string line = "connected to " + broker;
            std::lock_guard lock(mutex_);
            if (!queue_.empty()) line += "; sending the " + std::to_string(queue_.size()) + " samples that waited";
            if (dropped_ > 0) line += " (" + std::to_string(dropped_) + " older ones were dropped)";
            dropped_ = 0;
            droppingSaid_ = false;
            SayState(line);
        }
        if (!connected_) continue;
        Feed();
        ApplyAcknowledgements();
    }
    if (client_) {
        if (connected_) {
            // A clean goodbye: the broker keeps the last will to itself.
            mosquitto_disconnect(client_);
            const double end = Now() + 1;
            while (mosquitto_socket(client_) >= 0 && Now() < end) {
                pollfd fd{mosquitto_socket(client_), POLLIN, 0};
                poll(&fd, 1, 100);
                if (mosquitto_loop(client_, 0, 1) != MOSQ_ERR_SUCCESS) break;
            }
        }
        mosquitto_destroy(client_);
        client_ = nullptr;
    }
}
