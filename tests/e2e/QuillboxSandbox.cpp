#include "QuillboxSandbox.h"

#include "platform/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace e2e {

namespace {

// Whatever a test starts dies with the test program, also when that one crashes or stops
// at a fatal check and no destructor runs.
void dieWithTheTest(QProcess &p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// Every running process whose program is the given file (a sandbox's own copy).
QList<pid_t> processesRunning(const QString &program)
{
    QList<pid_t> pids;
    const QString target = QFileInfo(program).canonicalFilePath();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (isPid && QFileInfo(QStringLiteral("/proc/%1/exe").arg(entry)).symLinkTarget() == target)
            pids << pid;
    }
    return pids;
}

} // namespace

void startTool(QProcess &p, const QString &program, const QStringList &args)
{
    p.start(program, args);
    // A missing tool would otherwise read as empty output and fail far from the cause.
    if (!p.waitForStarted(10000) && p.error() == QProcess::FailedToStart)
        qFatal("cannot start %s (%s): scripts/test installs the package that provides it",
               qPrintable(program), qPrintable(p.errorString()));
}

QString run(const QString &program, const QStringList &args, int timeoutMs)
{
    QProcess p;
    startTool(p, program, args);
    p.waitForFinished(timeoutMs);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString xdo(const QStringList &args)
{
    return run(QStringLiteral("xdotool"), args);
}

void key(const QString &combination)
{
    xdo({QStringLiteral("key"), combination});
}

void keys(const QStringList &names, int delayMs)
{
    xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QString::number(delayMs)} + names);
}

void activate(const QString &window)
{
    xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
}

QStringList visibleWindows(const QString &namePattern)
{
    return xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"), namePattern})
        .split(u'\n', Qt::SkipEmptyParts);
}

QString clipboardText()
{
    // Not trimmed: what was copied has to match to the last character.
    QProcess p;
    startTool(p, QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool setClipboardText(const QString &text)
{
    QProcess p;
    startTool(p, QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")});
    p.write(text.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(5000);
    // xclip forks to serve the selection; wait until it really owns it.
    for (int i = 0; i < 50; ++i) {
        if (clipboardText() == text)
            return true;
        QTest::qWait(100);
    }
    return false;
}

QByteArray card(const QString &title, const QString &group, const QString &body)
{
    return Cp932::encode(title + QChar(1) + group + QChar(1) + body + QChar(1));
}

QByteArray greetingCards()
{
    return card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("おはようございます"))
           + card(QStringLiteral("夜"), QStringLiteral("挨拶"), QStringLiteral("good night"));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString iniValue(const QString &file, const QString &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QString prefix = key + QStringLiteral(" = ");
    for (const QString &line : Cp932::decode(f.readAll()).split(QStringLiteral("\r\n")))
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

bool PasteTarget::start(const QString &program, const QString &outFile)
{
    outFile_ = outFile;
    p_.start(program, {QStringLiteral("--out"), outFile});
    if (!p_.waitForStarted())
        return false;
    // "ready <window id>" once its editor has the focus.
    for (int i = 0; i < 100 && !p_.canReadLine(); ++i)
        p_.waitForReadyRead(100);
    window_ = QString::fromUtf8(p_.readLine()).trimmed().section(u' ', 1);
    return !window_.isEmpty();
}

void PasteTarget::stop()
{
    if (p_.state() == QProcess::NotRunning)
        return;
    p_.terminate();
    if (!p_.waitForFinished(5000)) {
        p_.kill();
        p_.waitForFinished(3000);
    }
}

PrivateDisplay::PrivateDisplay() : previous_(qgetenv("DISPLAY"))
{
    dieWithTheTest(server_);
    // The server writes its display number to standard output once it takes connections.
    startTool(server_, QStringLiteral("Xvfb"),
              {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
               QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    for (int i = 0; i < 100 && !server_.canReadLine(); ++i)
        server_.waitForReadyRead(100);
    const QByteArray number = server_.readLine().trimmed();
    if (number.isEmpty())
        return;
    qputenv("DISPLAY", ':' + number);
    dieWithTheTest(windowManager_);
    windowManager_.setStandardOutputFile(QProcess::nullDevice());
    windowManager_.setStandardErrorFile(QProcess::nullDevice());
    startTool(windowManager_, QStringLiteral("openbox"), {});
    // Windows mapped before the window manager runs would never get a frame.
    for (int i = 0; i < 100; ++i) {
        if (run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id"))) {
            display_ = ':' + number;
            return;
        }
        QTest::qWait(100);
    }
}

PrivateDisplay::~PrivateDisplay()
{
    for (QProcess *p : {&windowManager_, &server_}) {
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    if (previous_.isNull())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", previous_);
}

QuillboxSandbox::QuillboxSandbox()
{
    if (!dir_.isValid() || !QFile::copy(QStringLiteral(QUILLBOX_EXE), exe()))
        return;
    // The dictionary windows' plugin is found beside the executable.
    if (!QFile::copy(QStringLiteral(QUILLBOX_DIC_PLUGIN), path(QFileInfo(QStringLiteral(QUILLBOX_DIC_PLUGIN)).fileName())))
        return;
    // Private, as a real XDG_RUNTIME_DIR is: the instance lock and socket live there.
    valid_ = QDir(dir_.path()).mkpath(QStringLiteral("run"))
             && QFile::setPermissions(path(QStringLiteral("run")),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QuillboxSandbox::~QuillboxSandbox()
{
    for (const auto &p : started_) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    // Copies that escaped our handles (started by another program, or orphaned).
    const QList<pid_t> escaped = processesRunning(exe());
    for (pid_t pid : escaped) {
        qWarning("killing Quillbox %d that the test left running", int(pid));
        ::kill(pid, SIGKILL);
    }
}

QProcessEnvironment QuillboxSandbox::env() const
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    // Unit tests run offscreen; these need the real X server.
    e.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return e;
}

QProcess *QuillboxSandbox::start(const QStringList &args, const QString &workingDir)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env());
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    dieWithTheTest(*p);
    if (!workingDir.isEmpty())
        p->setWorkingDirectory(workingDir);
    p->start(exe(), args);
    started_.push_back(std::move(p));
    return started_.back().get();
}

QProcess *QuillboxSandbox::startProcess(const QString &program, const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env());
    dieWithTheTest(*p);
    startTool(*p, program, args);
    started_.push_back(std::move(p));
    return started_.back().get();
}

int QuillboxSandbox::quillbox(const QStringList &args, QString *out, QString *err)
{
    QProcess p;
    p.setProcessEnvironment(env());
    dieWithTheTest(p);
    p.start(exe(), args);
    const bool finished = p.waitForFinished(15000);
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString QuillboxSandbox::waitForWindow()
{
    for (int i = 0; i < 200; ++i) {
        const QStringList ids = visibleWindows(QStringLiteral("^Quillbox with VLM"));
        if (!ids.isEmpty())
            return ids.first();
        QTest::qWait(100);
    }
    return QString();
}

bool QuillboxSandbox::windowVisible(const QString &window) const
{
    const QStringList ids = visibleWindows(QStringLiteral("^Quillbox with VLM"));
    return window.isEmpty() ? !ids.isEmpty() : ids.contains(window);
}

QStringList QuillboxSandbox::history()
{
    QString out;
    if (quillbox({QStringLiteral("--print-history")}, &out) != 0)
        return {QStringLiteral("<error>")};
    const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8());
    if (!doc.isArray())
        return {QStringLiteral("<error>")};
    QStringList texts;
    for (const QJsonValue &v : doc.array())
        texts.append(v.toString());
    return texts;
}

void QuillboxSandbox::quitAndWait(QProcess *p)
{
    QCOMPARE(quillbox({QStringLiteral("--quit")}), 0);
    QVERIFY(p->waitForFinished(10000));
    QCOMPARE(p->exitStatus(), QProcess::NormalExit);
    QCOMPARE(p->exitCode(), 0);
}

bool QuillboxSandbox::writeCardFile(const QByteArray &cards)
{
    return writeFile(path(QStringLiteral("QuillboxData.vlw")), cards);
}

bool QuillboxSandbox::writeSettings(const QStringList &lines)
{
    return writeFile(path(QStringLiteral("Quillbox.ini")),
                     Cp932::encode(QStringLiteral("[General]\r\n") + lines.join(QStringLiteral("\r\n"))
                                   + QStringLiteral("\r\n")));
}

QString QuillboxSandbox::settingsText() const
{
    QFile f(path(QStringLiteral("Quillbox.ini")));
    return f.open(QIODevice::ReadOnly) ? Cp932::decode(f.readAll()) : QString();
}

QString QuillboxSandbox::setting(const QString &key) const
{
    return iniValue(path(QStringLiteral("Quillbox.ini")), key);
}

} // namespace e2e
