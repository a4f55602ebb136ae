#pragma once

#include <QString>

// Reads a record file into the file list that fits it: a file of two-channel records (six
// fields) into "FileList2", anything else into "FileList1", header lines left out. The caption
// counts the lines read and then shows the file's title. A file that cannot be read ends this
// silently, keeping the rows read so far. Returns whether the whole file was read.
bool LoadRecordFile(const QString& path, const QString& title);
