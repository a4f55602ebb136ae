#include "ui/Desktop.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace {

std::function<bool(const QString&)>& InstalledOpener() {
    static std::function<bool(const QString&)> opener;
    return opener;
}

}  // namespace

namespace Desktop {

bool OpenDocument(const QString& path) {
    if (const auto& opener = InstalledOpener()) return opener(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void InstallOpener(std::function<bool(const QString& path)> opener) { InstalledOpener() = std::move(opener); }

}  // namespace Desktop
