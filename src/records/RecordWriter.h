#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

// One record file open for writing. Each line goes to the operating system as soon as it is
// written, so a crash of the program loses at most the line in flight. Every failure returns
// false and keeps the system's reason for the caller's message; a line the system took only in
// part is removed again, so the file always ends with a whole line.
class RecordWriter {
  public:
    RecordWriter() = default;
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Creates the file, or empties an existing one. A file still open is closed first.
    bool Open(const std::string& path);
    // Writes the line followed by CR LF.
    bool WriteLine(std::string_view line);
    bool Close();

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    const std::string& ErrorText() const { return errorText_; }
    int ErrorCode() const { return errorCode_; }

  private:
    bool Fail(int code);
    bool FailMidLine(int code);

    int fd_ = -1;
    off_t wholeLinesEnd_ = 0;  // file size up to the end of the last line written whole
    std::string path_;
    std::string errorText_;
    int errorCode_ = 0;
};
