#pragma once

// Registers every window of the program with Forms under its name.
void RegisterWindows();
