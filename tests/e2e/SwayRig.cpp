#include "SwayRig.h"

#include "QuillboxSandbox.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace e2e {

namespace {

const char *const SessionVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS"};

// "NAME=value" lines as sway's environment printed them.
QHash<QByteArray, QByteArray> readEnvironment(const QString &file)
{
    QHash<QByteArray, QByteArray> vars;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return vars;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            vars.insert(line.left(eq), line.mid(eq + 1));
    }
    return vars;
}

QJsonObject findFocused(const QJsonObject &node)
{
    if (node.value(QStringLiteral("focused")).toBool())
        return node;
    for (const char *key : {"nodes", "floating_nodes"}) {
        const QJsonArray children = node.value(QLatin1String(key)).toArray();
        for (const QJsonValue &child : children) {
            const QJsonObject found = findFocused(child.toObject());
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

} // namespace

SwayRig::SwayRig() : dir_(QDir::tempPath() + QStringLiteral("/quillbox-sway-XXXXXX"))
{
    const QString runtime = dir_.filePath(QStringLiteral("run"));
    const QString home = dir_.filePath(QStringLiteral("home"));
    const QString config = dir_.filePath(QStringLiteral("config"));
    const QString envFile = runtime + QStringLiteral("/session.env");
    if (!dir_.isValid() || !QDir().mkpath(runtime) || !QDir().mkpath(home)
        || !QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
        problem_ = QStringLiteral("cannot make the rig's folders");
        return;
    }
    QFile conf(config);
    if (!conf.open(QIODevice::WriteOnly)
        || conf.write(QStringLiteral("output HEADLESS-1 resolution 1280x800\n"
                                     "xwayland enable\n"
                                     "focus_on_window_activation focus\n"
                                     // The session's variables, for the programs the test starts itself.
                                     "exec env > %1.tmp && mv %1.tmp %1\n")
                          .arg(envFile)
                          .toUtf8())
               < 0) {
        problem_ = QStringLiteral("cannot write the sway configuration");
        return;
    }
    conf.close();

    QProcessEnvironment env;
    const QProcessEnvironment outer = QProcessEnvironment::systemEnvironment();
    for (const char *keep : {"PATH", "LANG", "LC_ALL"}) {
        if (outer.contains(QLatin1String(keep)))
            env.insert(QLatin1String(keep), outer.value(QLatin1String(keep)));
    }
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    // The session bus: sway and every program of the session use it, and it ends with the rig.
    const QString bus = runtime + QStringLiteral("/bus");
    bus_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    bus_.setStandardOutputFile(QProcess::nullDevice());
    bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                                              QStringLiteral("--address=unix:path=") + bus});
    if (!bus_.waitForStarted(10000)) {
        problem_ = QStringLiteral("cannot start dbus-daemon: %1").arg(bus_.errorString());
        return;
    }
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);
    sway_.setProcessEnvironment(env);
    sway_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    sway_.setStandardOutputFile(QProcess::nullDevice());
    sway_.setStandardErrorFile(dir_.filePath(QStringLiteral("sway.log")));
    // The namespace maps this process's uid to 1000 inside, so sway runs as a user and its files stay
    // ours. unshare becomes sway: ending this process ends sway, and sway ends its XWayland.
    sway_.start(QStringLiteral("unshare"), {QStringLiteral("--user"), QStringLiteral("--map-user=1000"),
                                            QStringLiteral("--map-group=1000"), QStringLiteral("sway"), QStringLiteral("-c"), config});
    if (!sway_.waitForStarted(10000)) {
        problem_ = QStringLiteral("cannot start sway: %1").arg(sway_.errorString());
        return;
    }

    QHash<QByteArray, QByteArray> vars;
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && sway_.state() == QProcess::Running) {
        vars = readEnvironment(envFile);
        if (vars.contains("DISPLAY") && vars.contains("WAYLAND_DISPLAY"))
            break;
        QTest::qWait(100);
    }
    if (!vars.contains("DISPLAY") || !vars.contains("WAYLAND_DISPLAY")) {
        problem_ = QStringLiteral("sway did not start with XWayland:\n%1").arg(log());
        return;
    }
    vars.insert("WAYLAND_DISPLAY", runtime.toUtf8() + '/' + vars.value("WAYLAND_DISPLAY"));
    for (const char *name : SessionVariables) {
        previous_.append({name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray()});
        if (vars.contains(name))
            qputenv(name, vars.value(name));
        else
            qunsetenv(name);
    }
    // XWayland starts with sway but answers a little later.
    while (!deadline.hasExpired()) {
        QProcess probe;
        probe.start(QStringLiteral("xdpyinfo"), {});
        if (probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0) {
            valid_ = true;
            return;
        }
        QTest::qWait(200);
    }
    problem_ = QStringLiteral("XWayland on %1 did not answer:\n%2").arg(QString::fromUtf8(vars.value("DISPLAY")), log());
}

SwayRig::~SwayRig()
{
    for (const auto &p : started_) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }
    for (QProcess *p : {&sway_, &bus_}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }
    for (const auto &[name, value] : std::as_const(previous_)) {
        if (value.isNull())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }
}

QProcess *SwayRig::start(const QString &program, const QStringList &args, const QProcessEnvironment &extra)
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    p->start(program, args);
    started_.push_back(std::move(p));
    return started_.back().get();
}

QString SwayRig::swaymsg(const QStringList &args) const
{
    QProcess p;
    p.start(QStringLiteral("swaymsg"), args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QJsonObject SwayRig::focusedWindow() const
{
    const QJsonDocument tree = QJsonDocument::fromJson(swaymsg({QStringLiteral("-t"), QStringLiteral("get_tree")}).toUtf8());
    return findFocused(tree.object());
}

QString SwayRig::windowName(const QJsonObject &window)
{
    const QString appId = window.value(QStringLiteral("app_id")).toString();
    if (!appId.isEmpty())
        return appId;
    return window.value(QStringLiteral("window_properties")).toObject().value(QStringLiteral("class")).toString();
}

bool SwayRig::hasFocus(const QString &name) const
{
    const QJsonObject window = focusedWindow();
    // sway may name an X11 window focused before XWayland moved its input focus there.
    const qint64 x11Window = window.value(QStringLiteral("window")).toInteger();
    return windowName(window) == name && (x11Window == 0 || xdo({QStringLiteral("getwindowfocus")}).toLongLong() == x11Window);
}

bool SwayRig::waitForFocus(const QString &name, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    do {
        if (hasFocus(name))
            return true;
        QTest::qWait(100);
    } while (!deadline.hasExpired());
    return false;
}

void SwayRig::focusX11(const QString &window)
{
    xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
}

QString SwayRig::log() const
{
    QFile f(dir_.filePath(QStringLiteral("sway.log")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(4000)) : QString();
}

} // namespace e2e
