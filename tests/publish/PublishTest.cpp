// tq36-cli publish against a real broker (Mosquitto on 127.0.0.1) and the simulated meter, read
// back by an independent subscriber (mosquitto_sub).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "ChildProcess.h"
#include "CliOptions.h"
#include "MqttBroker.h"
#include "MqttSubscriber.h"
#include "Publication.h"
#include "Publisher.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "WaitUntil.h"

namespace {

constexpr int Com = 5;
const std::string Prefix = "tq36/com5";
constexpr auto Long = std::chrono::seconds(60);

std::string CliPath() {
    return (std::filesystem::path(std::getenv("TQ36_METERSIM")).parent_path() / "../cli/tq36-cli").string();
}

QJsonObject Json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

// The sample numbers of the state messages, in the order they came.
std::vector<int> SampleNumbers(const std::vector<MqttMessage>& states) {
    std::vector<int> numbers;
    for (const MqttMessage& m : states) numbers.push_back(Json(m.payload)["sample"].toInt());
    return numbers;
}

class PublishTest : public testing::Test {
protected:
    void SetUp() override {
        if (MqttBroker::Program().empty() || MqttBroker::ClientProgram("mosquitto_sub").empty() ||
            MqttBroker::ClientProgram("mosquitto_pub").empty())
            GTEST_FAIL() << "Mosquitto and its clients are not installed (tools/scripts/deps.sh installs them)";
    }
    void TearDown() override { ChildProcess::End(publisher, SIGKILL); }

    bool StartMeter(std::vector<std::string> args) {
        meter = std::make_unique<SimulatedMeter>(Com, std::move(args));
        return meter->Start();
    }

    bool StartBroker(const std::string& extraConfig = {}) {
        broker = std::make_unique<MqttBroker>(extraConfig);
        return broker->Start();
    }

    // A subscriber of `topic` whose subscription already holds.
    std::unique_ptr<MqttSubscriber> Subscribe(const std::string& topic, std::vector<std::string> extraArgs = {}) {
        auto subscriber = std::make_unique<MqttSubscriber>(broker->Port(), topic, std::move(extraArgs));
        EXPECT_TRUE(subscriber->Start());
        return subscriber;
    }

    void StartPublisher(std::vector<std::string> extraArgs = {}) {
        std::vector<std::string> args = {CliPath(), "publish", "--com", std::to_string(Com), "--broker",
                                         broker->Address()};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        errors = broker->Folder() + "/publisher.err";
        publisher = ChildProcess::Spawn(args, "/dev/null", errors);
        ASSERT_GT(publisher, 0);
    }

    // Ends the publisher with `signal`; its exit status.
    int EndPublisher(int signal) {
        const int status = ChildProcess::End(publisher, signal);
        publisher = -1;
        return status;
    }

    // Waits for the publisher's own end; its exit status, or -1 when it ran on.
    int PublisherEnds() {
        int status = -1;
        const bool ended = WaitUntil([&] { return waitpid(publisher, &status, WNOHANG) == publisher; }, Long);
        if (!ended) return -1;
        publisher = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Errors() const {
        std::ifstream file(errors);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    static bool Has(const MqttSubscriber& s, const std::string& topic, const std::string& payload) {
        for (const MqttMessage& m : s.Messages(topic))
            if (m.payload == payload) return true;
        return false;
    }

    TempPortsDir ports;
    std::unique_ptr<SimulatedMeter> meter;
    std::unique_ptr<MqttBroker> broker;
    pid_t publisher = -1;
    std::string errors;
};

// Each sample is read --json's object with the sample's number; marks stay strings.
TEST_F(PublishTest, StateIsOneJsonObjectPerSample) {
    ASSERT_TRUE(StartMeter({"--channels", "2", "--t1", "OL", "--t2", "21.0", "--type", "J"}));
    ASSERT_TRUE(StartBroker());
    auto subscriber = Subscribe(Prefix + "/#");
    StartPublisher();
    ASSERT_TRUE(WaitUntil([&] { return subscriber->Messages(Prefix + "/state").size() >= 2; }, Long)) << Errors();
    EXPECT_EQ(EndPublisher(SIGINT), 0) << Errors();

    const std::vector<MqttMessage> states = subscriber->Messages(Prefix + "/state");
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(states[i].payload);
        const QJsonObject o = Json(states[i].payload);
        EXPECT_FALSE(states[i].retained);
        EXPECT_EQ(o["sample"].toInt(), static_cast<int>(i) + 1);
        EXPECT_EQ(o["t1"].toString(), "OL");
        EXPECT_EQ(o["t2"].toDouble(), 21.0);
        EXPECT_TRUE(o.contains("t1_t2"));
        EXPECT_EQ(o["unit"].toString(), "C");
        EXPECT_EQ(o["type"].toString(), "J");
        EXPECT_EQ(o["channels"].toInt(), 2);
        const QString timestamp = o["timestamp"].toString();
        EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)").match(timestamp).hasMatch());
        EXPECT_EQ(QDateTime::fromString(timestamp, Qt::ISODate).time().toString("HH:mm:ss"), o["time"].toString());
    }
    // SIGINT ends it saying so on the availability topic.
    EXPECT_TRUE(WaitUntil([&] { return Has(*subscriber, Prefix + "/availability", "offline"); }, Long));
}

// A subscriber that comes later learns at once whether the meter is there: while it runs, and
// after SIGTERM.
TEST_F(PublishTest, AvailabilityIsRetainedForALateSubscriber) {
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    ASSERT_TRUE(StartBroker());
    auto live = Subscribe(Prefix + "/state");
    StartPublisher();
    ASSERT_TRUE(WaitUntil([&] { return !live->Messages().empty(); }, Long)) << Errors();
    auto late = Subscribe(Prefix + "/availability");
    const std::vector<MqttMessage> running = late->Messages();
    ASSERT_EQ(running.size(), 1u);
    EXPECT_TRUE(running[0].retained);
    EXPECT_EQ(running[0].payload, "online");

    EXPECT_EQ(EndPublisher(SIGTERM), 0) << Errors();
    auto after = Subscribe(Prefix + "/availability");
    const std::vector<MqttMessage> ended = after->Messages();
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_TRUE(ended[0].retained);
    EXPECT_EQ(ended[0].payload, "offline");
}

// A publisher that dies without a word is announced by the broker.
TEST_F(PublishTest, LastWillAfterSigkill) {
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    ASSERT_TRUE(StartBroker());
    auto subscriber = Subscribe(Prefix + "/availability");
    StartPublisher();
    ASSERT_TRUE(WaitUntil([&] { return Has(*subscriber, Prefix + "/availability", "online"); }, Long)) << Errors();
    EndPublisher(SIGKILL);
    EXPECT_TRUE(WaitUntil([&] { return Has(*subscriber, Prefix + "/availability", "offline"); }, Long));
}

// A silent meter: availability goes offline, no sample of an old reading goes out, and both come
// back with the meter.
TEST_F(PublishTest, MeterSilentAndBack) {
    ASSERT_TRUE(StartBroker());
    auto subscriber = Subscribe(Prefix + "/#");
    // The gap's clock starts with the meter: the publisher has seen it answer well before.
    ASSERT_TRUE(StartMeter({"--channels", "1", "--gap", "4:9"}));
    StartPublisher();
    auto availability = [&] {
        std::vector<std::string> values;
        for (const MqttMessage& m : subscriber->Messages(Prefix + "/availability")) values.push_back(m.payload);
        return values;
    };
    const std::vector<std::string> expected = {"online", "offline", "online"};
    ASSERT_TRUE(WaitUntil([&] { return availability() == expected; }, Long)) << Errors();
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<MqttMessage> all = subscriber->Messages();
        return !all.empty() && all.back().topic == Prefix + "/state";
    }, Long));
    EXPECT_EQ(EndPublisher(SIGTERM), 0);
    const std::vector<MqttMessage> all = subscriber->Messages();
    std::size_t offline = 0, back = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].payload == "offline" && offline == 0) offline = i;
        if (all[i].payload == "online" && offline != 0 && back == 0) back = i;
    }
    ASSERT_LT(offline, back);
    for (std::size_t i = offline; i < back; ++i) EXPECT_NE(all[i].topic, Prefix + "/state") << all[i].payload;
    EXPECT_TRUE(Errors().find("silent") != std::string::npos) << Errors();
    EXPECT_TRUE(Errors().find("back") != std::string::npos) << Errors();
}

// The broker goes away for a few seconds, shut down or stopped dead with samples on their way to
// it: every sample taken meanwhile arrives after its return, in order (at QoS 1 a sample may
// come twice, never go missing).
TEST_F(PublishTest, BrokerAwayLosesNoSample) {
    struct Case {
        const char* name;
        bool crash;  // frozen while samples go out unacknowledged, then killed
    };
    for (const Case c : {Case{"ShutDown", false}, Case{"Crashed", true}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(StartMeter({"--channels", "2"}));
        // The subscriber's session is saved every second and outlives the broker, so it gets
        // what came while it was reconnecting.
        ASSERT_TRUE(StartBroker("persistence true\nautosave_interval 1\n"));
        auto subscriber = Subscribe(Prefix + "/state", {"-c", "-i", "tq36-test-" + std::to_string(getpid())});
        StartPublisher();
        ASSERT_TRUE(WaitUntil([&] { return subscriber->Messages().size() >= 3; }, Long)) << Errors();
        if (c.crash) {
            broker->Freeze();
            const int lastBefore = SampleNumbers(subscriber->Messages()).back();
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            EXPECT_EQ(SampleNumbers(subscriber->Messages()).back(), lastBefore) << "the broker passed nothing on";
            broker->Stop(SIGKILL);
        } else {
            broker->Stop();
        }
        const int lastBefore = SampleNumbers(subscriber->Messages()).back();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        ASSERT_TRUE(broker->Start());
        ASSERT_TRUE(WaitUntil([&] { return SampleNumbers(subscriber->Messages()).back() >= lastBefore + 5; }, Long))
            << Errors();
        EXPECT_EQ(EndPublisher(SIGTERM), 0);
        EXPECT_NE(Errors().find("samples that waited"), std::string::npos) << Errors();

        const std::vector<int> numbers = SampleNumbers(subscriber->Messages());
        int expected = 1;
        for (const int n : numbers) {
            if (n < expected) continue;  // again, after a connection broke before its acknowledgement
            EXPECT_EQ(n, expected) << "a sample is missing or out of order";
            expected = n + 1;
        }
        subscriber.reset();
        broker.reset();
        meter.reset();
    }
}

// Home Assistant's configs, retained, for what the meter shows, and again when that changes; the
// device is the one --device-id names, and named so, whatever the client id and the PC.
TEST_F(PublishTest, DiscoveryConfigsFollowTheMeter) {
    struct Case {
        const char* name;
        std::vector<std::string> meter;
        std::string unitAtStart, unitLater;
        std::vector<std::string> sensorsLater;
    };
    const Case cases[] = {
        {"OneChannel", {"--channels", "1", "--unit", "K"}, "K", "K", {"t1"}},
        {"TwoChannelsUnitChanges", {"--channels", "2", "--unit", "F", "--script", ""}, "\u00b0F", "\u00b0C",
         {"t1", "t2", "t1_t2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> meterArgs = c.meter;
        const std::string script = std::filesystem::temp_directory_path() / ("tq36-unit-" + std::to_string(getpid()));
        if (meterArgs.back().empty()) {
            // Late enough for the first frames to come in the first unit on any machine.
            std::ofstream(script) << "10 unit C\n";
            meterArgs.back() = script;
        }
        ASSERT_TRUE(StartBroker());
        auto live = Subscribe("homeassistant/#");
        ASSERT_TRUE(StartMeter(meterArgs));
        StartPublisher({"--ha-discovery", "--topic", "lab/meter", "--client-id", "lab pc/5", "--device-id", "bath"});
        auto unitsOf = [&](const std::string& key) {
            std::vector<std::string> units;
            for (const MqttMessage& m : live->Messages("homeassistant/sensor/bath_" + key + "/config"))
                if (!m.payload.empty()) units.push_back(Json(m.payload)["unit_of_measurement"].toString().toStdString());
            return units;
        };
        const std::vector<std::string> t1Units =
            c.unitAtStart == c.unitLater ? std::vector{c.unitAtStart} : std::vector{c.unitAtStart, c.unitLater};
        ASSERT_TRUE(WaitUntil([&] { return unitsOf("t1") == t1Units; }, Long)) << Errors();

        auto late = Subscribe("homeassistant/#");
        std::map<std::string, QJsonObject> configs;
        for (const MqttMessage& m : late->Messages()) {
            EXPECT_TRUE(m.retained) << m.topic;
            configs[m.topic] = Json(m.payload);
        }
        ASSERT_EQ(configs.size(), c.sensorsLater.size());
        for (const std::string& key : c.sensorsLater) {
            SCOPED_TRACE(key);
            const QJsonObject o = configs["homeassistant/sensor/bath_" + key + "/config"];
            EXPECT_EQ(o["unit_of_measurement"].toString().toStdString(), c.unitLater);
            EXPECT_EQ(o["state_topic"].toString(), "lab/meter/state");
            EXPECT_EQ(o["availability_topic"].toString(), "lab/meter/availability");
            EXPECT_TRUE(o["value_template"].toString().contains(QString::fromStdString("value_json." + key + " ")));
            EXPECT_EQ(o["unique_id"].toString().toStdString(), "bath_" + key);
            EXPECT_EQ(o["device"].toObject()["identifiers"].toArray().first().toString(), "bath");
            EXPECT_EQ(o["device"].toObject()["name"].toString(), "bath");
        }
        EXPECT_EQ(EndPublisher(SIGTERM), 0);
        std::filesystem::remove(script);
        meter.reset();
    }
}

// A broker that does not take the credentials ends the program with 77; the right ones are taken
// from the file.
TEST_F(PublishTest, WrongCredentialsEndWith77) {
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    const std::string folder = std::filesystem::temp_directory_path() / ("tq36-pw-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_EQ(ChildProcess::End(ChildProcess::Spawn({MqttBroker::ClientProgram("mosquitto_passwd"), "-b", "-c",
                                                     folder + "/passwd", "meter", "right"}),
                                0),
              0);
    ASSERT_TRUE(StartBroker("allow_anonymous false\npassword_file " + folder + "/passwd\n"));
    std::ofstream(folder + "/right") << "right\n";
    std::ofstream(folder + "/wrong") << "wrong\n";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {"WrongPassword", {"--username", "meter", "--password-file", folder + "/wrong"}, 77},
        {"NoUsername", {}, 77},
        {"RightPassword", {"--username", "meter", "--password-file", folder + "/right"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartPublisher(c.args);
        if (c.status == 0) {
            EXPECT_TRUE(WaitUntil([&] { return Errors().find("connected to") != std::string::npos; }, Long));
            EXPECT_EQ(EndPublisher(SIGTERM), 0) << Errors();
        } else {
            EXPECT_EQ(PublisherEnds(), c.status) << Errors();
            EXPECT_TRUE(Errors().find("refused") != std::string::npos) << Errors();
        }
        std::filesystem::remove(errors);
    }
    std::filesystem::remove_all(folder);
}

// A queue that is full drops its oldest sample for each new one, says so once, and sends the
// rest in order when the broker comes; the end counts what was delivered, dropped and left.
TEST_F(PublishTest, FullQueueDropsTheOldest) {
    struct Case {
        const char* name;
        bool brokerComes;
        Publisher::Outcome outcome;
    };
    const Case cases[] = {{"BrokerComes", true, {.delivered = 3, .dropped = 2, .undelivered = 0}},
                          {"BrokerNeverComes", false, {.delivered = 0, .dropped = 2, .undelivered = 3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The subscriber's session outlives the broker's restart, so it may come back at any time.
        ASSERT_TRUE(StartBroker("persistence true\n"));
        auto subscriber = Subscribe("q/state", {"-c", "-i", "tq36-test-q-" + std::to_string(getpid())});
        broker->Stop();
        Publisher::Settings settings;
        settings.host = "127.0.0.1";
        settings.port = broker->Port();
        settings.clientId = "tq36-test-queue-" + std::to_string(getpid());
        settings.willTopic = "q/availability";
        settings.willPayload = "offline";
        settings.capacity = 3;
        std::mutex lock;
        std::vector<std::string> said;
        Publisher publisher(settings, [&](const std::string& line) {
            std::lock_guard guard(lock);
            said.push_back(line);
        });
        std::string why;
        ASSERT_TRUE(publisher.Start(why)) << why;
        for (int i = 1; i <= 5; ++i) publisher.Send("q/state", std::to_string(i));
        if (c.brokerComes) {
            ASSERT_TRUE(broker->Start());
            ASSERT_TRUE(WaitUntil([&] { return subscriber->Messages().size() >= 3; }, Long));
        }
        const Publisher::Outcome outcome = publisher.Stop(1);
        EXPECT_EQ(outcome.delivered, c.outcome.delivered);
        EXPECT_EQ(outcome.dropped, c.outcome.dropped);
        EXPECT_EQ(outcome.undelivered, c.outcome.undelivered);
        if (!c.brokerComes) continue;
        std::vector<std::string> payloads;
        for (const MqttMessage& m : subscriber->Messages()) payloads.push_back(m.payload);
        EXPECT_EQ(payloads, (std::vector<std::string>{"3", "4", "5"}));
        std::lock_guard guard(lock);
        EXPECT_EQ(std::count_if(said.begin(), said.end(), [](const std::string& l) { return l.find("dropped") != std::string::npos; }), 2)
            << "once when dropping begins, once on reconnection";
    }
}

// The end line says how many samples reached the broker when not all did.
TEST(PublishEnd, SaysDeliveredAndDropped) {
    EXPECT_EQ(Cli::DeliverySummary(12, {.delivered = 12}), "12 samples taken");
    const std::string overflow = Cli::DeliverySummary(5605, {.delivered = 0, .dropped = 2005, .undelivered = 3600});
    for (const char* part : {"5605 samples taken", "0 delivered", "2005 dropped", "3600 not delivered"})
        EXPECT_NE(overflow.find(part), std::string::npos) << overflow;
}

// A CA that did not sign the broker's certificate is said as such, not as a broker away, and ends
// the program as refused credentials do: trying again would fail the same way.
TEST_F(PublishTest, CaThatDoesNotVerifyTheBroker) {
    const std::string openssl = MqttBroker::ClientProgram("openssl");
    ASSERT_FALSE(openssl.empty()) << "openssl is not installed (tools/scripts/deps.sh installs it)";
    const std::string folder = std::filesystem::temp_directory_path() / ("tq36-tls-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), openssl);
        return ChildProcess::End(ChildProcess::Spawn(args), 0);
    };
    for (const std::string ca : {"ca", "other"})
        ASSERT_EQ(run({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=" + ca,
                       "-keyout", folder + "/" + ca + ".key", "-out", folder + "/" + ca + ".crt"}), 0);
    ASSERT_EQ(run({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
                   folder + "/broker.key", "-out", folder + "/broker.csr"}), 0);
    std::ofstream(folder + "/san") << "subjectAltName=IP:127.0.0.1\n";
    ASSERT_EQ(run({"x509", "-req", "-days", "2", "-in", folder + "/broker.csr", "-CA", folder + "/ca.crt", "-CAkey",
                   folder + "/ca.key", "-CAcreateserial", "-extfile", folder + "/san", "-out", folder + "/broker.crt"}),
              0);
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    ASSERT_TRUE(StartBroker("certfile " + folder + "/broker.crt\nkeyfile " + folder + "/broker.key\n"));
    struct Case {
        const char* ca;
        const char* says;
    };
    for (const Case c : {Case{"ca", "connected to"}, Case{"other", "failed TLS verification"}}) {
        SCOPED_TRACE(c.ca);
        StartPublisher({"--cafile", folder + "/" + c.ca + ".crt"});
        if (std::string(c.ca) == "other") {
            EXPECT_EQ(PublisherEnds(), 77) << Errors();
            EXPECT_NE(Errors().find(c.says), std::string::npos) << Errors();
            EXPECT_NE(Errors().find("check that --cafile"), std::string::npos) << Errors();
        } else {
            EXPECT_TRUE(WaitUntil([&] { return Errors().find(c.says) != std::string::npos; }, Long)) << Errors();
            EXPECT_EQ(EndPublisher(SIGTERM), 0);
        }
        EXPECT_EQ(Errors().find("unreachable"), std::string::npos) << Errors();
        std::filesystem::remove(errors);
    }
    std::filesystem::remove_all(folder);
}

// A password file that others may read is used, with a warning.
TEST(PublishOptions, PasswordFileOthersMayRead) {
    TempPortsDir ports;
    ports.LinkMissing(Com);  // it ends at the port, after reading the password
    const std::string password = ports.Path() + "/password", errors = ports.Path() + "/errors";
    std::ofstream(password) << "secret\n";
    namespace fs = std::filesystem;
    struct Case {
        fs::perms perms;
        bool warned;
    };
    const Case cases[] = {{fs::perms::owner_read | fs::perms::owner_write, false},
                          {fs::perms::owner_read | fs::perms::group_read, true},
                          {fs::perms::owner_read | fs::perms::others_read, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.perms));
        fs::permissions(password, c.perms);
        fs::remove(errors);
        const pid_t cli = ChildProcess::Spawn({CliPath(), "publish", "--com", std::to_string(Com), "--broker",
                                               "127.0.0.1", "--username", "u", "--password-file", password},
                                              "/dev/null", errors);
        int status = 0;
        ASSERT_EQ(waitpid(cli, &status, 0), cli);
        EXPECT_EQ(WEXITSTATUS(status), 66);
        std::ifstream file(errors);
        const std::string said((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(said.find("chmod 600") != std::string::npos, c.warned) << said;
    }
}

// The password never comes from the command line, also not through an abbreviation; what the
// broker would refuse or drop unsaid is refused here.
TEST(PublishOptions, CommandLine) {
    struct Case {
        std::vector<std::string> args;
        bool accepted;
        const char* says;
    };
    const Case cases[] = {
        {{"publish", "--com", "1"}, false, "--broker"},
        {{"publish", "--com", "1", "--broker", "h", "--password", "secret"}, false, "--password-file"},
        {{"publish", "--com", "1", "--broker", "h", "--password=secret"}, false, "--password-file"},
        {{"publish", "--com", "1", "--broker", "h", "--passw=secret"}, false, "'--passw'"},
        {{"publish", "--com", "1", "--broker", "h", "--password-file", "f"}, false, "--username"},
        {{"publish", "--com", "1", "--broker", "h", "--qos", "2"}, false, "--qos"},
        {{"publish", "--com", "1", "--broker", "h", "--topic", "a/#"}, false, "wildcards"},
        {{"publish", "--com", "1", "--broker", "h", "--topic", "$SYS/tq36"}, false, "--topic"},
        {{"publish", "--com", "1", "--broker", "h", "--topic", std::string(70000, 't')}, false, "--topic is too long"},
        {{"publish", "--com", "1", "--broker", "h", "--topic", std::string(65522, 't')}, true, ""},
        {{"publish", "--com", "1", "--broker", "h", "--client-id", "lab\xe9"}, false, "--client-id"},
        {{"publish", "--com", "1", "--broker", "h", "--client-id", "\xc0\xaf"}, false, "--client-id"},  // overlong '/'
        {{"publish", "--com", "1", "--broker", "h", "--client-id", "\xed\xa0\x80"}, false, "--client-id"},  // surrogate
        {{"publish", "--com", "1", "--broker", "h", "--client-id", "lab\x01"}, false, "--client-id"},
        {{"publish", "--com", "1", "--broker", "h", "--client-id", "K\xc3\xbc" "che \xe6\xb8\xa9\xf0\x9f\x8c\xa1"}, true, ""},
        {{"publish", "--com", "1", "--broker", "h", "--device-id", "bath"}, false, "--ha-discovery"},
        {{"publish", "--com", "1", "--broker", "h", "--ha-discovery", "--device-id", "lab pc"}, false, "--device-id"},
        {{"publish", "--com", "1", "--broker", "h", "--ha-discovery", "--device-id", "Bath_2-b"}, true, ""},
        {{"publish", "--com", "1", "--broker", "h"}, true, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"tq36-cli"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Cli::Parsed parsed = Cli::Parse(args);
        SCOPED_TRACE(args.back());
        EXPECT_EQ(parsed.options.has_value(), c.accepted) << parsed.error;
        EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find("secret"), std::string::npos) << parsed.error;
        if (parsed.options) {
            EXPECT_EQ(parsed.options->interval, 1) << "publish samples every second unless told";
            EXPECT_EQ(parsed.options->qos, 1);
        }
    }
}

}  // namespace
