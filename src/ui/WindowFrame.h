#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <optional>

class QWidget;

// The border the desktop draws around a window (title bar included) and where a window with
// that border may stand. Placement and outer sizes are the frame's, but a window only learns its
// frame once it is shown; until then it takes the frame of another shown window of the program,
// as the desktop draws them all alike.
namespace WindowFrame {

QMargins Of(const QWidget& window);
// Every window as if the desktop drew `frame` around it (tests); nothing for the desktop's own.
void Install(std::optional<QMargins> frame);

// Where a frame of `outer`'s size, wanted at `outer`'s top left, lies on `free` after moving it
// just enough; a frame larger than `free` keeps its top left (title bar, close button) on it.
QPoint KeptOn(const QRect& outer, const QRect& free);

// Where a frame of size `outer` lies on `free` without covering any of the frames `shown`: the
// first spot that is clear beside one of them, tried below, right of, left of and above each in
// turn, the first frame first; `fallback` (kept on `free`) when the screen has no such spot.
QPoint ClearOf(QSize outer, const QList<QRect>& shown, const QRect& free, QPoint fallback);

}  // namespace WindowFrame
