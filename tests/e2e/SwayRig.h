#pragma once
// A headless sway session with its XWayland, for whole-program tests on a Wayland desktop. sway
// refuses to run as root, so it runs as uid 1000 of a user namespace of its own, with a private
// runtime folder, home and session bus. While the rig lives, this process's DISPLAY,
// WAYLAND_DISPLAY (an absolute path, so programs with another XDG_RUNTIME_DIR find it too),
// SWAYSOCK and DBUS_SESSION_BUS_ADDRESS name the session, so QuillboxSandbox and the X tools
// of QuillboxSandbox.h use it.
#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace e2e {

class SwayRig
{
public:
    SwayRig();
    ~SwayRig();
    bool isValid() const { return valid_; }
    // Why the rig did not start, for the test's skip or failure message.
    QString problem() const { return problem_; }

    // A program in the session; extra holds variables to add or change, such as
    // QT_QPA_PLATFORM=wayland for a Wayland-native window. The rig ends it when it ends.
    QProcess *start(const QString &program, const QStringList &args, const QProcessEnvironment &extra = {});
    // `swaymsg ARGS` to its end; its standard output.
    QString swaymsg(const QStringList &args) const;
    // The window that has the focus, from sway's tree: app_id for Wayland windows, class for X11 ones.
    QJsonObject focusedWindow() const;
    static QString windowName(const QJsonObject &window);
    // Waits until sway gives the focus to a window whose app_id or X11 class is name (and, for an
    // X11 window, XWayland agrees).
    bool waitForFocus(const QString &name, int timeoutMs = 20000) const;
    // The same check once, without waiting.
    bool hasFocus(const QString &name) const;
    // Gives an X11 window the X input focus. A Qt window that sway focused as it appeared takes no
    // keys from XTest until then.
    static void focusX11(const QString &window);
    QString log() const; // sway's standard error so far

private:
    QTemporaryDir dir_;
    QProcess bus_, sway_;
    bool valid_ = false;
    QString problem_;
    QList<QPair<QByteArray, QByteArray>> previous_; // this process's variables before the rig
    std::vector<std::unique_ptr<QProcess>> started_;
};

} // namespace e2e
