#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

// The windows the manual shows, each taken whole as the program draws it, with a simulated meter
// behind the program and a clock that stands still between samples.
namespace ManualPictures {

// The names a manual source uses as ![caption](shot:NAME), in the order they are taken.
QStringList Names();
// Every picture by name; a window that did not come up is missing from the result. `shown`, when
// given, gets what the pictures show that a caption states: "records N" for the main window's
// record count and "row hh:mm:ss" for each row of the real-time list.
QHash<QString, QImage> Take(QStringList* shown = nullptr);

}  // namespace ManualPictures
