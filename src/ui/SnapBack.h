#pragma once

#include <QSize>
#include <optional>

// A window that may not be smaller than its chart needs: a resize below that size is answered
// with the least size, once. When the window manager keeps the window at the size it gave (a
// tiling one may), it is left at that instead of asking again and again.
class SnapBack {
public:
    explicit SnapBack(QSize least) : least_(least) {}

    // The size to ask for after the window was resized to `size`, if any.
    std::optional<QSize> Answer(QSize size);

private:
    QSize least_;
    std::optional<QSize> refused_;  // the too-small size last answered
};
