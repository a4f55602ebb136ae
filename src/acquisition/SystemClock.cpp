#include "acquisition/SystemClock.h"

#include <chrono>
#include <ctime>

#include <time.h>

namespace SystemClock {

double Steady() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double TimeOfDay() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto whole = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const std::time_t t = whole.count();
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec +
           std::chrono::duration<double>(sinceEpoch - whole).count();
}

double Calendar() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

double Boot() {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

AcquisitionEngine::Clock ForEngine() {
    return {.steady = Steady, .timeOfDay = TimeOfDay, .boot = Boot, .calendar = Calendar};
}

}  // namespace SystemClock
