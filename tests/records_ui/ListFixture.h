#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <optional>
#include <utility>

#include "ProgramState.h"
#include "ScriptedDialogs.h"
#include "Widgets.h"
#include "ui/MeterLink.h"
#include "app/Windows.h"
#include "meter/Meter.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

// A main window without a port: it neither polls nor ends the program when it goes, but it has
// the real timers and geometry the list windows work with.
class IdlePanel : public Panel {
protected:
    void Load() override {}
    void Unload() override {}
};

// Every case gets a private home folder (the default record folder lives there), scripted
// dialogs, fresh program-wide state and the program's window registry with an idle main window.
class ListFixture : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        savedHome = SavedVariable("HOME");
        savedProfile = SavedVariable("USERPROFILE");
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("USERPROFILE", home.path().toLocal8Bit());
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterWindows(ProgramLink());
        Forms::Register("Panel", [] { return new IdlePanel; });
    }

    void TearDown() override {
        ResetProgramState();
        RestoreVariable("HOME", savedHome);
        RestoreVariable("USERPROFILE", savedProfile);
    }

    ListWindow* OpenList(bool dual) { return Forms::GetAs<ListWindow>(dual ? "List2" : "List1"); }

    Panel* OpenPanelWithTimers(bool timer1Running, bool timer2Running) {
        auto* panel = Forms::GetAs<Panel>("Panel");
        if (!panel) return nullptr;
        for (auto [name, running] : {std::pair{"Timer1", timer1Running}, std::pair{"Timer2", timer2Running}}) {
            QTimer* timer = Child<QTimer>(panel, name);
            running ? timer->start() : timer->stop();
        }
        return panel;
    }

    static bool TimerActive(const char* name) { return Child<QTimer>(Forms::Find("Panel"), name)->isActive(); }

    QString TempPath(const QString& name) const { return home.filePath(name); }

    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir home;
    ScriptedDialogs dialogs;

private:
    static std::optional<QByteArray> SavedVariable(const char* name) {
        if (!qEnvironmentVariableIsSet(name)) return std::nullopt;
        return qgetenv(name);
    }
    static void RestoreVariable(const char* name, const std::optional<QByteArray>& value) {
        value ? qputenv(name, *value) : qunsetenv(name);
    }

    std::optional<QByteArray> savedHome;
    std::optional<QByteArray> savedProfile;
};
