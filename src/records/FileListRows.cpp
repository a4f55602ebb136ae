#include "records/FileListRows.h"

#include <utility>

#include "records/LineText.h"
#include "records/RecordFileReader.h"

void FileListRows::TakeFrom(std::string& line, bool cut) {
    ++lines_;
    if (RecordFileReader::IsHeader(line)) {
        ++headers_;
        return;
    }
    if (!LineText::IsUtf8(line)) line = LineText::ToUtf8(line, cut);
    if (!dual_) {
        // One cut short may have lost the fields that make it two-channel.
        if (cut && ready_ < HeldRecords) {
            Keep(line);
            return;
        }
        dual_ = RecordFileReader::IsTwoChannelRecord(cut ? rows_.front() : line);
    }
    Keep(line);
}

void FileListRows::Keep(std::string& row) {
    if (ready_ == rows_.size()) rows_.emplace_back();
    rows_[ready_++].swap(row);
}

void FileListRows::End() {
    if (!dual_ && ready_ > 0) dual_ = RecordFileReader::IsTwoChannelRecord(rows_.front());
}

std::vector<std::string> FileListRows::TakeRows() {
    if (!dual_) return {};
    rows_.resize(ready_);
    ready_ = 0;
    return std::exchange(rows_, {});
}
