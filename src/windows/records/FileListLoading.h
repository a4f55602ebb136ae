#pragma once

#include <QString>

class RecordFileReader;

// Reads a record file into the file list that fits it: a file of two-channel records (six
// fields) into "FileList2", anything else into "FileList1", as its first record that is not cut
// short tells, header lines left out; a file of headers alone opens an empty "FileList2". Each
// line shows as UTF-8 when it is that, else as Windows-1252. The caption counts the lines read
// and then shows the file's title. A file that is missing or may not be read ends this silently;
// anything that is not a regular file (a FIFO, a link to a device) is refused with a message, and
// a read failure part way is reported while the rows read so far stay. Returns whether the whole
// file was read.
bool LoadRecordFile(const QString& path, const QString& title);
// The same with a reader of the caller's (tests give one whose reads fail).
bool LoadRecordFile(RecordFileReader& reader, const QString& path, const QString& title);
