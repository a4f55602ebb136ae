#include "panel/Windows.h"

#include "panel/Panel.h"
#include "serial/PortWindow.h"
#include "serial/SerialDevicesWindow.h"
#include "ui/Forms.h"

void RegisterWindows() {
    Forms::Register("Port", [] { return new PortWindow; });
    Forms::Register("SerialDevices", [] { return new SerialDevicesWindow; });
    Forms::Register("Panel", [] { return new Panel; });
}
