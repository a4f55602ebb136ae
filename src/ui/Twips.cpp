#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {

constexpr double FallbackDpi = 96.0;

const QScreen* Screen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                         : nullptr;
}

int ToPx(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / Twips::PerInch));
}

int FromPx(int px, double dpi) {
    return static_cast<int>(std::lround(px * Twips::PerInch / dpi));
}

}  // namespace

double Twips::DpiX() {
    const QScreen* screen = Screen();
    return screen && screen->logicalDotsPerInchX() > 0 ? screen->logicalDotsPerInchX() : FallbackDpi;
}

double Twips::DpiY() {
    const QScreen* screen = Screen();
    return screen && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : FallbackDpi;
}

int Twips::ToPxX(int twips) { return ToPx(twips, DpiX()); }
int Twips::ToPxY(int twips) { return ToPx(twips, DpiY()); }
int Twips::FromPxX(int px) { return FromPx(px, DpiX()); }
int Twips::FromPxY(int px) { return FromPx(px, DpiY()); }

QRect Twips::Rect(int left, int top, int width, int height) {
    return QRect(ToPxX(left), ToPxY(top), ToPxX(width), ToPxY(height));
}

QSize Twips::Size(int width, int height) { return QSize(ToPxX(width), ToPxY(height)); }

QPoint Twips::Point(int left, int top) { return QPoint(ToPxX(left), ToPxY(top)); }
