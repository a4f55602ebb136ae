#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

// The registry of the program's windows, each addressed by its name. A window is created the
// first time it is asked for and destroyed when it is unloaded, so a reopened window starts
// fresh. A window the user closes leaves the registry by itself.
class Forms {
public:
    using Factory = std::function<QWidget*()>;

    // Replaces an earlier factory of the same name.
    static void Register(const QString& name, Factory factory);
    static bool IsRegistered(const QString& name);

    // The loaded window, created (and loaded) on first use; nullptr for an unknown name.
    static QWidget* Get(const QString& name);
    template <class T>
    static T* GetAs(const QString& name) {
        return dynamic_cast<T*>(Get(name));
    }
    // The loaded window, or nullptr; never creates one.
    static QWidget* Find(const QString& name);
    template <class T>
    static T* FindAs(const QString& name) {
        return dynamic_cast<T*>(Find(name));
    }
    static bool IsShown(const QString& name);
    static QWidget* Show(const QString& name);
    // Runs the window's unload hook, hides it and destroys it (at the next turn of the event
    // loop, so a window may unload itself from its own handler). Does nothing if not loaded.
    static void Unload(const QString& name);
    static void UnloadAll();
    static QStringList LoadedNames();

    // Called by a window that is going away by itself; drops it if it is the registered one.
    static void Forget(QWidget* window);
};
