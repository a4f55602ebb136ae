#include "logger/DataLogger.h"

DataLogger& DataLogger::Instance() {
    static DataLogger logger;
    return logger;
}

void DataLogger::DownloadStarted() {
    downloading_ = true;
    memoryImage_.clear();
}
