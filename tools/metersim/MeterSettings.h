#pragma once

#include <string>

#include "MeterSample.h"

// What the simulated meter is set to: the settings a command line or a script line may change.
// Temperatures are kept in Celsius so that a unit change over time shows the same temperature in
// the new unit, as the real meter does when its unit key is pressed.
class MeterSettings {
  public:
    // Where the stray bytes of a poor adapter go: right before each frame (written with it), right
    // after it, split at random between the two, or alone in the middle of the pause between frames.
    enum class StraysAt { Before, After, Around, Pause };

    // Applies one setting named as its option without dashes: channels, unit, type, t1, t2, wave,
    // rate, garbage, strays, strays-at. A temperature is read in the unit set at that moment.
    // Returns an error text, empty when the setting was applied; a refused setting changes nothing.
    std::string Apply(const std::string& key, const std::string& value);
    static bool IsSetting(const std::string& key);

    // The reading at `seconds` after start, in the current unit (the waveform moves it when on).
    MeterSample SampleAt(double seconds) const;

    TempUnit Unit() const { return unit_; }
    int Channels() const { return channels_; }
    double Rate() const { return rate_; }
    double Garbage() const { return garbage_; }
    // Stray bytes in each gap between frames, and where.
    int Strays() const { return strays_; }
    StraysAt StraysPlace() const { return straysAt_; }
    bool Wave() const { return wave_; }

  private:
    SimReading InUnit(const SimReading& celsius, double waveOffset) const;

    TempUnit unit_ = TempUnit::C;
    int channels_ = 2;
    int typeCode_ = 0;
    SimReading t1C_ = SimReading::Number(23.5);
    SimReading t2C_ = SimReading::Number(21.0);
    bool wave_ = false;
    double rate_ = 2.0;
    double garbage_ = 0.0;
    int strays_ = 0;
    StraysAt straysAt_ = StraysAt::Before;
};
