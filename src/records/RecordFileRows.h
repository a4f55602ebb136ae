#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The rows of a record file as a file list takes them, line by line: header lines are left out,
// each line becomes UTF-8 (LineText), and the first record that is whole tells the layout (six
// fields or more: two-channel), since one cut short may have lost the fields that make it
// two-channel. Records cut short before it wait, a few at most; past that, or at the end of the
// file, the first of them decides after all.
class RecordFileRows {
  public:
    static constexpr std::size_t HeldRecords = 64;

    // The next line of the file; `cut` says it lost its end.
    void Add(std::string_view line, bool cut);
    // The end of the file: records that all came cut short decide the layout now.
    void Finish();

    // Two-channel or not, once known.
    std::optional<bool> TwoChannels() const { return twoChannels_; }
    bool HeaderSeen() const { return headerSeen_; }
    // The rows read and not yet taken, TAB-separated; filled only once the layout is known.
    std::vector<std::string>& Pending() { return pending_; }

  private:
    void Decide(const std::string& row);

    std::optional<bool> twoChannels_;
    bool headerSeen_ = false;
    std::vector<std::string> pending_;  // before the layout is known: the records held
};
