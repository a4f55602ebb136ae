#include <QApplication>

#include "app/Windows.h"
#include "records/FileSizeLimit.h"
#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "windows/WindowNames.h"

int main(int argc, char* argv[]) {
    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName("TQ36");
    EventPump::Install();
    RegisterWindows();
    Forms::Show(WindowNames::Port);
    const int status = QApplication::exec();
    Forms::UnloadAll();
    Rs232_API::CloseAllPorts();
    return status;
}
