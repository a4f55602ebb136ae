#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The rows a file list makes of the lines of a record file, and the layout it shows them in.
// Header lines are left out wherever they stand; every other line is a row, as UTF-8 (see
// LineText). The first record that is not cut short tells the layout: six fields or more make
// the two-channel list, anything else the one-channel list. Records cut short before it (a few
// at most) wait until it comes; rows are handed out once the layout is known.
// The desktop's file lists and tq36-cli convert both read files through this, so they take the
// same lines as records and leave out the same ones.
class FileListRows {
  public:
    // Takes the next line as RecordFileReader gives it; `cut` as its Cut() tells.
    void Take(std::string line, bool cut) { TakeFrom(line, cut); }
    // The same, leaving in `line` the storage of a row handed out before: a reader that reads the
    // next line into it allocates nothing, line after line (tq36-cli convert of a huge file).
    void TakeFrom(std::string& line, bool cut);
    // No more lines: records that all came cut short decide the layout after all.
    void End();

    // Two-channel (true) or one-channel; nothing while no record has decided it.
    std::optional<bool> Dual() const { return dual_; }
    // The rows taken since the last call, in file order; empty while the layout is open.
    std::vector<std::string> TakeRows();
    // The same rows, to be read where they are; RowsTaken hands them out.
    std::span<const std::string> Rows() const { return {rows_.data(), Ready()}; }
    void RowsTaken() {
        if (dual_) ready_ = 0;
    }
    // Rows waiting to be taken.
    std::size_t Ready() const { return dual_ ? ready_ : 0; }

    long Lines() const { return lines_; }
    long Headers() const { return headers_; }

  private:
    static constexpr std::size_t HeldRecords = 64;

    void Keep(std::string& row);

    std::optional<bool> dual_;
    // The first `ready_` are the rows (before the layout is known: the records cut short), the
    // others rows handed out, whose storage the next ones reuse.
    std::vector<std::string> rows_;
    std::size_t ready_ = 0;
    long lines_ = 0;
    long headers_ = 0;
};
