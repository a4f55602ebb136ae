#pragma once

class MeterLink;

// Registers every window of the program with Forms under its name; those that show or command the
// meter's acquisition are handed `link`.
void RegisterWindows(MeterLink& link);
