#include "logger/DataLogger.h"

#include <utility>

DataLogger& DataLogger::Instance() {
    static DataLogger logger;
    return logger;
}

void DataLogger::DownloadStarted() {
    downloading_ = true;
    memoryImage_.clear();
}

void DataLogger::DownloadEnded(std::vector<std::uint8_t> memory) {
    downloading_ = false;
    memoryImage_ = std::move(memory);
}
