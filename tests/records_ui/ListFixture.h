#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ProgramState.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

// A main window that neither starts nor stops the meter link and does not end the program when it
// goes. It shows what the link tells as the real one does and has the geometry the list windows
// place themselves by.
class IdlePanel : public Panel {
public:
    IdlePanel() : Panel(ProgramLink(), {}) {}

protected:
    void Load() override {}
    void Unload() override {}
};

// The samples the program's meter link tells while this lives.
class SampleWatch {
public:
    SampleWatch() {
        QObject::connect(&ProgramLink(), &MeterLink::SampleTaken, &context_,
                         [this](const MeterLink::Sample& sample) { samples.push_back(sample); });
    }

    // Waits for the second sample from now. The engine runs the commands sent to it before it
    // takes a sample, so that sample was taken after every command sent before this call, while
    // the first may have been on its way already. Nullptr when none came.
    const MeterLink::Sample* SecondSampleFromNow() {
        const size_t wanted = samples.size() + 2;
        if (!PumpUntil([&] { return samples.size() >= wanted; })) return nullptr;
        return &samples[wanted - 1];
    }

    std::vector<MeterLink::Sample> samples;

private:
    QObject context_;
};

// Every case gets a private home folder (the default record folder lives there), scripted
// dialogs, fresh program-wide state, a private folder for the port names, and the program's
// window registry with an idle main window. Cases whose behaviour lives in the acquisition
// engine start the program's meter link on a simulated meter.
class ListFixture : public testing::Test {
protected:
    static constexpr int MeterCom = 5;

    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        savedHome = SavedVariable("HOME");
        savedProfile = SavedVariable("USERPROFILE");
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("USERPROFILE", home.path().toLocal8Bit());
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterProgramWindows();
        Forms::Register("Panel", [] { return new IdlePanel; });
    }

    void TearDown() override {
        ResetProgramState();
        meter.reset();
        RestoreVariable("HOME", savedHome);
        RestoreVariable("USERPROFILE", savedProfile);
    }

    ListWindow* OpenList(bool dual) { return Forms::GetAs<ListWindow>(dual ? "List2" : "List1"); }
    static Panel* OpenPanel() { return Forms::GetAs<Panel>("Panel"); }

    // A simulated meter (with the simulator's `args`) on COM MeterCom and the program's meter link
    // started on it, sampling every second; true once the meter's first reading has arrived.
    bool StartLinkOnMeter(std::vector<std::string> args = {}) {
        meter.emplace(MeterCom, std::move(args));
        if (!meter->Start()) return false;
        ProgramLink().Start(MeterCom);
        ProgramLink().SetInterval(1);
        return PumpUntil([] { return ProgramLink().MeterOnline(); });
    }

    // "List" on the main window: the real-time list of the meter's channel mode opens and runs.
    ListWindow* OpenListFromPanel() {
        Child<Toolbar>(OpenPanel(), "Toolbar1")->Trigger("List");
        return Forms::FindAs<ListWindow>(ProgramLink().Reading().DualChannel ? "List2" : "List1");
    }

    static bool ListStateIs(RealTimeList::State state) { return ProgramLink().ListState() == state; }

    static QStringList Rows(ListWindow* list) {
        QStringList rows;
        for (int row = 1; row < list->ListGrid().Rows(); ++row) rows << list->ListGrid().RowText(row, '\t');
        return rows;
    }

    QString TempPath(const QString& name) const { return home.filePath(name); }

    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir home;
    ScriptedDialogs dialogs;
    TempPortsDir ports;
    std::optional<SimulatedMeter> meter;

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
