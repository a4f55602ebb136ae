#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct CurrentReading;

// The record text file and the printed list: every line, separator and column of both.
// Lines are returned without their line end; writers add LineEnd.
namespace RecordFormat {

// Line 1 of every record file, spaces only, 52 characters.
inline constexpr std::string_view Header = "No.s    Time            T1      T2      T1-T2   Unit";
inline constexpr std::string_view LineEnd = "\r\n";
inline constexpr char Separator = '\t';

// A sample as the main window shows it: time text, readings and unit, TAB-joined.
std::string TwoChannelSample(std::string_view time, std::string_view t1, std::string_view t2,
                             std::string_view t1t2, std::string_view unit);
std::string OneChannelSample(std::string_view time, std::string_view t1, std::string_view unit);
// The sample of the live reading, in its channel mode, stamped `time`.
std::string SampleLine(const CurrentReading& reading, std::string_view time);

// A recording's record: the count, TAB, the sample line; nothing after the last field.
std::string RecordLine(long count, std::string_view sampleLine);

// A list save writes every cell of a row followed by one TAB, the last one included; the row's
// cells come TAB-joined.
std::string ListSaveLine(std::string_view tabbedRow);

// Appends ".txt" unless the name already ends in exactly ".txt" (so "Test.TXT" gets it too).
std::string WithTxtExtension(std::string path);

// Where record files go unless the user picks another folder: USERPROFILE + "/Documents/TQ36"
// when that variable is set, else the XDG Documents folder + "/TQ36".
using EnvironmentLookup = std::function<const char*(const char*)>;
std::string DefaultFolder(const EnvironmentLookup& getEnvironment);
std::string DefaultFolder();  // from the process environment

struct FolderResult {
    bool ok = false;
    bool created = false;  // at least one folder level did not exist before
    std::string error;     // the system's reason when not ok
};
// Creates the folder and any missing parents; an existing folder is fine.
FolderResult EnsureFolder(const std::string& path);

// Printed lists. Two-channel: a 62-character title, a 64-dash rule and the six columns TAB-joined.
inline constexpr std::string_view TwoChannelPrintTitle =
    "No.s    Time                   T1      T2      T1-T2      Unit";
inline constexpr std::string_view TwoChannelPrintRule =
    "----------------------------------------------------------------";
std::string TwoChannelPrintRow(const std::vector<std::string>& cells);

// One-channel: columns 0 to 3 right-aligned to widths 7, 10, 7 and 7. A longer text is printed
// whole, pushing the rest of the line to the right, rather than failing the print.
std::string OneChannelPrintRow(const std::vector<std::string>& cells);
std::string OneChannelPrintTitle();
std::string OneChannelPrintRule();

}  // namespace RecordFormat
