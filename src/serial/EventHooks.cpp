#include "serial/EventHooks.h"

#include <chrono>
#include <thread>
#include <utility>

namespace {
std::function<void()> processHook;
std::function<void(double)> delayHook;
}  // namespace

namespace EventHooks {

void ProcessEvents() {
    if (processHook) processHook();
}

void Delay(double seconds) {
    if (delayHook) {
        delayHook(seconds);
    } else if (seconds > 0) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
}

void Install(std::function<void()> processEvents, std::function<void(double)> delay) {
    processHook = std::move(processEvents);
    delayHook = std::move(delay);
}

void Uninstall() {
    processHook = nullptr;
    delayHook = nullptr;
}

}  // namespace EventHooks
