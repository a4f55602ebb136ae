#pragma once

// Lets pending user-interface events run, and waits without spinning: a wait runs a nested event
// loop that a precise single-shot timer ends, so timers and clicks are served while the program
// uses no CPU.
class EventPump {
public:

    static void ProcessEvents();
    // Returns after `seconds` (or at once for 0 and less, after one round of events); returns early
    // only when the application is quitting.
    static void Delay(double seconds);
};
