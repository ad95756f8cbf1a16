#include "platform/x11/X11Display.h"

#include <cstdio>

#include <X11/Xlib.h>

QString X11DisplayProblem(const QString &programName)
{
    // Offscreen runs (tests, benchmarks) need no display.
    if (qEnvironmentVariable("QT_QPA_PLATFORM") == QStringLiteral("offscreen"))
        return QString();
    const QByteArray name = qgetenv("DISPLAY");
    QString reason;
    if (name.isEmpty()) {
        reason = QStringLiteral("DISPLAY is not set");
    } else if (Display *display = XOpenDisplay(name.constData())) {
        XCloseDisplay(display);
        return QString();
    } else {
        reason = QStringLiteral("cannot open DISPLAY \"%1\"").arg(QString::fromLocal8Bit(name));
    }
    return QStringLiteral("%1: no X display (%2); %1 needs an X11 or XWayland session.").arg(programName, reason);
}

bool RequireX11Display(const QString &programName)
{
    const QString problem = X11DisplayProblem(programName);
    if (!problem.isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(problem));
    return problem.isEmpty();
}
