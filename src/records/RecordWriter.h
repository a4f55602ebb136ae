#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// One record file open for writing, in one of two ways:
// - a file that grows line by line (a recording): each line goes to the operating system as soon
//   as it is written, so a crash of the program loses at most the line in flight;
// - a file written whole (a saved list, a downloaded data set): the lines go to a new file beside
//   the target, which takes the target's place only once it is complete, so a failure (a full
//   disk, a size limit) leaves a file that was there as it was.
// Every failure returns false and keeps the reason for the caller's message; a line the system
// took only in part is removed again, so the file always ends with a whole line. A FIFO at the
// path is refused, never waited on; a whole file goes only where a regular file or nothing is.
// A growing file is locked (flock) while it is open, so that a second recording into it is
// refused instead of writing its records among the first one's.
class RecordWriter {
  public:
    // What becomes of a file already at the path: replaced, or kept (the writer fails with EEXIST).
    enum class Existing { Replace, Keep };
    // ErrorCode() when the path names something that cannot be written as a file.
    static constexpr int NotAFile = -1;
    // ErrorCode() when another growing file holds the path's lock: a recording writes it.
    static constexpr int InUse = -2;

    // Why a growing file could not replace what is at `path`: 0 when nothing is there or a
    // regular file that may be written, NotAFile, InUse, or the system's reason (a read-only
    // file). A look before the file is needed; Open decides.
    static int ObstacleToGrowing(const std::string& path);

    RecordWriter() = default;
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // A growing file: creates it, or empties an existing one when it may be replaced and no other
    // growing file holds it. A file still open is closed first.
    bool Open(const std::string& path, Existing existing = Existing::Replace);
    // A whole file: the lines go to a new hidden file beside `path` until Commit. A link at `path`
    // is followed, and a file replaced keeps its permissions; one the user may not write stays.
    bool OpenWhole(const std::string& path, Existing existing);
    // Writes the line followed by CR LF.
    bool WriteLine(std::string_view line);
    // Writes the bytes as they are (a whole file that is no list: a picture).
    bool WriteBytes(std::string_view bytes);
    // A whole file: its lines are on the disk and its descriptor is released, the target not yet
    // touched, so that many files can be made ready before the first of them replaces anything.
    // False when any line was refused.
    bool Finish();
    // A whole file: finished, then put in the target's place.
    bool Commit();
    // A growing file is closed as it is; a whole file not committed is removed again (false then).
    bool Close();

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    const std::string& ErrorText() const { return errorText_; }
    int ErrorCode() const { return errorCode_; }

  private:
    void Reset(const std::string& path, Existing existing);
    bool Fail(int code);
    bool FailMidLine(int code);
    bool WriteParts(struct iovec* part, int count);
    bool PutInPlace();

    int fd_ = -1;
    off_t wholeLinesEnd_ = 0;  // file size up to the end of the last line written whole
    std::string path_;
    Existing existing_ = Existing::Replace;
    std::string target_;     // a whole file: where it goes, `path_` with a link followed
    std::string temporary_;  // a whole file not yet committed: where its lines are
    std::string errorText_;
    int errorCode_ = 0;
};
