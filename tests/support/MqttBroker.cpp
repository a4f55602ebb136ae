#include "MqttBroker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "ChildProcess.h"
#include "WaitUntil.h"

namespace {

// A port nobody listens on now, chosen by the system.
int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
}

bool Accepts(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return connected;
}

}  // namespace

std::string MqttBroker::Program() {
    for (const char* path : {"/usr/sbin/mosquitto", "/usr/local/sbin/mosquitto"})
        if (access(path, X_OK) == 0) return path;
    return {};
}

std::string MqttBroker::ClientProgram(const std::string& name) {
    for (const std::string folder : {"/usr/bin/", "/usr/local/bin/"})
        if (access((folder + name).c_str(), X_OK) == 0) return folder + name;
    return {};
}

MqttBroker::MqttBroker(std::string extraConfig) : extraConfig_(std::move(extraConfig)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tq36-broker-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data())) folder_ = name.data();
}

MqttBroker::~MqttBroker() {
    Stop();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool MqttBroker::Start() {
    if (pid_ > 0) return true;
    if (port_ == 0) port_ = FreePort();
    const std::string config = folder_ + "/mosquitto.conf";
    {
        std::ofstream file(config);
        file << "listener " << port_ << " 127.0.0.1\n"
             << "set_tcp_nodelay true\n"
             << (extraConfig_.find("allow_anonymous") == std::string::npos ? "allow_anonymous true\n" : "")
             << (extraConfig_.find("persistence ") == std::string::npos ? "persistence false\n" : "")
             << "persistence_location " << folder_ << "/\n"
             // As root Mosquitto would become its own user, who may not read this folder.
             << (geteuid() == 0 ? "user root\n" : "") << extraConfig_ << "\n";
    }
    pid_ = ChildProcess::Spawn({Program(), "-c", config}, "/dev/null", folder_ + "/broker.log");
    if (pid_ <= 0) return false;
    return WaitUntil([this] { return Accepts(port_); }, std::chrono::seconds(10));
}

void MqttBroker::Stop(int signal) {
    ChildProcess::End(pid_, signal);
    pid_ = -1;
}

void MqttBroker::Freeze() {
    if (pid_ > 0) kill(pid_, SIGSTOP);
}
