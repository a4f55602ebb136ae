#include "app/Windows.h"

#include "panel/Panel.h"
#include "records/ListWindow.h"
#include "serial/PortWindow.h"
#include "serial/SerialDevicesWindow.h"
#include "ui/Forms.h"

void RegisterWindows() {
    Forms::Register("Port", [] { return new PortWindow; });
    Forms::Register("SerialDevices", [] { return new SerialDevicesWindow; });
    Forms::Register("Panel", [] { return new Panel; });
    Forms::Register("List1", [] { return new ListWindow(false); });
    Forms::Register("List2", [] { return new ListWindow(true); });
}
