#include "CommandSupport.h"
#include "Commands.h"
#include "meter/CurrentReading.h"

namespace Cli {

namespace {

// One line per frame the engine shows, as it comes.
class Reader : public AcquisitionEngine::Listener {
public:
    explicit Reader(const Options& options) : options_(options) {}

    void ReadingShown(const CurrentReading& reading) override {
        ++frames_;
        PrintLine(ReadingLine(reading, TimeOfDay(), options_.json));
    }

    bool CarryOn() const { return !OutputFailed() && !(options_.count && frames_ >= *options_.count); }

private:
    const Options& options_;
    long frames_ = 0;
};

}  // namespace

int Read(const Options& options) {
    Reader reader(options);
    AcquisitionEngine engine({.port = options.com}, EngineClock(), reader);
    if (const int status = OpenMeter(engine, options.com); status != Ok) return status;
    const bool answered = Drive(engine, [&] { return reader.CarryOn(); });
    if (OutputFailed()) return Io;
    if (!answered) {
        SayMeterSilent(options.com);
        return NoMeter;
    }
    return Ok;
}

}  // namespace Cli
