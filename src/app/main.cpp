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
    // The meter's link and the shared state outlive every window that was handed them.
    MeterLink link;
    SharedState shared;
    RegisterWindows(link, shared);
    Forms::Show(WindowNames::Port);
    const int status = QApplication::exec();
    Forms::UnloadAll();
    link.Stop();
    Rs232_API::CloseAllPorts();
    return status;
}
