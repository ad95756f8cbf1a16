#include "platform/QtPlatformChoice.h"

namespace {
bool chosenHere = false;
}

void PreferXcbPlatform()
{
    chosenHere = false;
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    qputenv("QT_QPA_PLATFORM", "xcb");
    chosenHere = true;
}

QProcessEnvironment StartedProgramEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (chosenHere)
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}
