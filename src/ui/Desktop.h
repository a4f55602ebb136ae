#pragma once

#include <QString>
#include <functional>

// Hands a document to the desktop, which shows it in the viewer the user has for its kind.
namespace Desktop {

// False when nothing could open it (no viewer for the kind, no desktop to ask).
bool OpenDocument(const QString& path);

// Tests put their own opener here; an empty one goes back to the desktop's.
void InstallOpener(std::function<bool(const QString& path)> opener);

}  // namespace Desktop
