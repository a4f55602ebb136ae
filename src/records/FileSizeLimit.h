#pragma once

// Under a file size limit (ulimit -f) the system ends a program that writes past it with SIGXFSZ,
// whichever file it writes: a record file, a file that a dialog keeps its settings in, or the
// output a user sent to a file. Ignoring the signal turns such a write into an ordinary failure
// (EFBIG) that the writer reports. Each program calls this first thing; calling it again is harmless.
void IgnoreFileSizeSignal();
