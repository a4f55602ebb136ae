#pragma once

#include <QWidget>

// A control of a window, found by its name as the program gives it ("LblT1", "Timer2",
// "Toolbar1"); nullptr when the window has none of that name and type.
template <class T>
T* Child(const QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}
