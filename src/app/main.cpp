#include <QApplication>

#include "app/Windows.h"
#include "records/FileSizeLimit.h"
#include "serial/Rs232_API.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "windows/WindowNames.h"

int main(int argc, char* argv[]) {
    IgnoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName("TQ36");
    // The meter's link outlives every window that was handed it.
    MeterLink link;
    RegisterWindows(link);
    Forms::Show(WindowNames::Port);
    const int status = QApplication::exec();
    Forms::UnloadAll();
    link.Stop();
    Rs232_API::CloseAllPorts();
    return status;
}
