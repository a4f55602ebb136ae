#include "records/RecordFileRows.h"

#include "records/LineText.h"
#include "records/RecordFileReader.h"

void RecordFileRows::Add(std::string_view line, bool cut) {
    if (RecordFileReader::IsHeader(line)) {
        headerSeen_ = true;
        return;
    }
    std::string row = LineText::ToUtf8(line, cut);
    if (!twoChannels_) {
        if (cut && pending_.size() < HeldRecords) {
            pending_.push_back(std::move(row));
            return;
        }
        Decide(cut ? pending_.front() : row);
    }
    pending_.push_back(std::move(row));
}

void RecordFileRows::Finish() {
    if (!twoChannels_ && !pending_.empty()) Decide(pending_.front());
}

void RecordFileRows::Decide(const std::string& row) {
    twoChannels_ = RecordFileReader::IsTwoChannelRecord(row);
}
