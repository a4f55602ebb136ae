#include "ui/Forms.h"

#include <QHash>
#include <QPointer>

#include "ui/FormWindow.h"

namespace {

QHash<QString, Forms::Factory>& Factories() {
    static QHash<QString, Forms::Factory> factories;
    return factories;
}

QHash<QString, QPointer<QWidget>>& Windows() {
    static QHash<QString, QPointer<QWidget>> windows;
    return windows;
}

}  // namespace

void Forms::Register(const QString& name, Factory factory) { Factories().insert(name, std::move(factory)); }

bool Forms::IsRegistered(const QString& name) { return Factories().contains(name); }

QWidget* Forms::Find(const QString& name) {
    auto it = Windows().find(name);
    if (it == Windows().end()) return nullptr;
    if (it->isNull()) {
        Windows().erase(it);
        return nullptr;
    }
    return it->data();
}

QWidget* Forms::Get(const QString& name) {
    if (QWidget* loaded = Find(name)) return loaded;
    auto factory = Factories().constFind(name);
    if (factory == Factories().constEnd() || !*factory) return nullptr;
    QWidget* window = (*factory)();
    if (!window) return nullptr;
    window->setObjectName(name);
    Windows().insert(name, window);
    if (auto* form = qobject_cast<FormWindow*>(window)) {
        form->EnsureLoaded();
        // Load may have unloaded the window again (a load that fails closes its window).
        return Find(name);
    }
    // Plain widgets go away when the user closes them; FormWindow handles that itself.
    window->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

bool Forms::IsShown(const QString& name) {
    const QWidget* window = Find(name);
    return window && window->isVisible();
}

QWidget* Forms::Show(const QString& name) {
    QWidget* window = Get(name);
    if (window) {
        window->show();
        window->raise();
    }
    return window;
}

void Forms::Unload(const QString& name) {
    QWidget* window = Find(name);
    if (!window) return;
    if (auto* form = qobject_cast<FormWindow*>(window)) {
        form->UnloadForm();
        return;
    }
    Forget(window);
    window->hide();
    window->deleteLater();
}

void Forms::UnloadAll() {
    for (const QString& name : LoadedNames()) Unload(name);
}

QStringList Forms::LoadedNames() {
    QStringList names;
    for (auto it = Windows().cbegin(); it != Windows().cend(); ++it) {
        if (!it->isNull()) names << it.key();
    }
    return names;
}

void Forms::Forget(QWidget* window) {
    for (auto it = Windows().begin(); it != Windows().end();) {
        if (it->isNull() || it->data() == window) {
            it = Windows().erase(it);
        } else {
            ++it;
        }
    }
}
