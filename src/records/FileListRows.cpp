#include "records/FileListRows.h"

#include <utility>

#include "records/LineText.h"
#include "records/RecordFileReader.h"

void FileListRows::Take(std::string line, bool cut) {
    ++lines_;
    if (RecordFileReader::IsHeader(line)) {
        ++headers_;
        return;
    }
    std::string row = LineText::ToUtf8(line, cut);
    if (!dual_) {
        // One cut short may have lost the fields that make it two-channel.
        if (cut && rows_.size() < HeldRecords) {
            rows_.push_back(std::move(row));
            return;
        }
        dual_ = RecordFileReader::IsTwoChannelRecord(cut ? rows_.front() : row);
    }
    rows_.push_back(std::move(row));
}

void FileListRows::End() {
    if (!dual_ && !rows_.empty()) dual_ = RecordFileReader::IsTwoChannelRecord(rows_.front());
}

std::vector<std::string> FileListRows::TakeRows() {
    if (!dual_) return {};
    return std::exchange(rows_, {});
}
