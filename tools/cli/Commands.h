#pragma once

#include <csignal>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "acquisition/AcquisitionEngine.h"

// The commands of tq36-cli. Each returns the program's exit status; what the user is told
// goes to stdout (results) and stderr (progress, waits, errors).
namespace Cli {

int Ports();
int Read(const Options& options);
int Record(const Options& options);
// On the clocks given (a test sets the clock of the day back).
int Record(const Options& options, const AcquisitionEngine::Clock& clock);
int Download(const Options& options);
int Publish(const Options& options);
int Convert(const Options& options);

// plot, which another program does: it runs in this process's place with the arguments after
// "plot"; back here only when it could not start (the status to end with).
int Plot(const std::vector<std::string>& args);

// The signals that stop a command.
inline constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// SIGINT, SIGTERM and SIGHUP stop the engine a command drives at once; the command ends with its
// files whole and no temporary file left.
void CatchStopSignals();

// The status to end with: `status`, or Io when stdout refused what a command wrote there (the
// user is told why, unless the reader simply went away).
int FinishOutput(int status);

}  // namespace Cli
