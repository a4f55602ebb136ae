#pragma once

#include <functional>

// The core never touches the user interface. Where it must let pending events run (inside the
// driver's reads and writes, and while it waits), it calls these hooks; the ui layer installs the
// real ones at start-up. Without them ProcessEvents does nothing and Delay sleeps.
namespace EventHooks {

void ProcessEvents();
void Delay(double seconds);

void Install(std::function<void()> processEvents, std::function<void(double)> delay);
void Uninstall();

}  // namespace EventHooks
