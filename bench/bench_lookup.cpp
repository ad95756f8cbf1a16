// Cost of the dictionary windows, run on an X display with a window manager:
//   bench_lookup [runs]
// 1. The real Quillbox: whether WebEngine is linked (ldd) or mapped (/proc/PID/maps) before
//    the first dictionary window, and mapped after the "PopUpDic" hot-key command.
// 2. Each run in a fresh process (the browser starts once per process): loading the plugin
//    and opening the first window up to its page loaded from a local HTTP server, a second
//    window likewise, and memory (this process plus the browser's helper processes) before,
//    with one and with five windows open, and after all are closed. Medians are printed.
#include "BenchStats.h"
#include "lookup/DicLoader.h"
#include "lookup/DicPlugin.h"
#include "platform/UserStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Resident memory of a process in MB.
double rssMb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The process and all its descendants.
QList<qint64> processTree(qint64 root)
{
    QHash<qint64, qint64> parent;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        QFile f(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!ok || !f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = f.readAll();
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        parent.insert(pid, fields.value(1).toLongLong());
    }
    QList<qint64> tree{root};
    for (int i = 0; i < tree.size(); ++i) {
        for (auto it = parent.cbegin(); it != parent.cend(); ++it) {
            if (it.value() == tree[i])
                tree.append(it.key());
        }
    }
    return tree;
}

double treeMb(qint64 root, int *processes = nullptr)
{
    double sum = 0;
    const QList<qint64> tree = processTree(root);
    for (qint64 pid : tree)
        sum += rssMb(pid);
    if (processes)
        *processes = tree.size();
    return sum;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class PageServer : public QTcpServer
{
public:
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [s] {
                    if (!s->peek(4096).contains("\r\n\r\n"))
                        return;
                    s->readAll();
                    const QByteArray body = "<html><body><h1>result</h1><p>" + QByteArray(2000, 'x') + "</p></body></html>";
                    s->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    s->disconnectFromHost();
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        listen(QHostAddress::LocalHost);
    }
};

// Opens a window, searches and waits for the page; milliseconds, or -1 on a timeout.
double openAndLoad(DicPlugin &plugin)
{
    QElapsedTimer t;
    t.start();
    DicWindow *window = plugin.openWindow();
    QWidget *view = nullptr;
    for (QWidget *w : window->widget()->findChildren<QWidget *>()) {
        if (qstrcmp(w->metaObject()->className(), "QWebEngineView") == 0)
            view = w;
    }
    if (!view)
        return -1;
    QEventLoop loop;
    bool done = false;
    QMetaObject::Connection c = QObject::connect(view, SIGNAL(loadFinished(bool)), &loop, SLOT(quit()));
    QObject::connect(view, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    // The first load is about:blank; wait for the one of the search.
    window->search(0, QStringLiteral("日本"));
    while (!done) {
        loop.exec();
        const QString url = view->property("url").toUrl().toString();
        done = url.contains(QStringLiteral("q=")) || t.elapsed() > 20000;
    }
    QObject::disconnect(c);
    return t.elapsed() > 20000 ? -1 : double(t.elapsed());
}

// One run in this process; prints "first second base one five closed processes".
int inProcessRun(int argc, char **argv, const QString &pluginFolder)
{
    QApplication app(argc, argv);
    PageServer server;
    const QString base = QStringLiteral("http://127.0.0.1:%1/dic?q=").arg(server.serverPort());
    QHash<QString, QString> settings{{QStringLiteral("DicName1"), QStringLiteral("1 bench")},
                                     {QStringLiteral("DicURL1"), base}};
    MemoryUserStore store;
    settle(300);
    const qint64 self = QCoreApplication::applicationPid();
    const double baseMb = treeMb(self);

    DicLoader loader({pluginFolder});
    QString error;
    QElapsedTimer t;
    t.start();
    DicPlugin *plugin = loader.plugin(&error);
    if (!plugin) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    DicHost host;
    host.settings = {[&](const QString &k) { return settings.value(k); },
                     [&](const QString &k, const QString &d) { return settings.value(k, d); }};
    host.userStore = &store;
    host.productName = QStringLiteral("Quillbox with VLM");
    host.version = QStringLiteral("3.1.0");
    plugin->setHost(host);
    const double loadMs = t.elapsed();
    const double first = openAndLoad(*plugin) + loadMs;
    settle(500);
    const double oneMb = treeMb(self);
    const double second = openAndLoad(*plugin);
    for (int i = 0; i < 3; ++i)
        openAndLoad(*plugin);
    settle(500);
    int processes = 0;
    const double fiveMb = treeMb(self, &processes);
    plugin->closeAll();
    settle(2000);
    const double closedMb = treeMb(self);
    std::printf("%.0f %.0f %.1f %.1f %.1f %.1f %d\n", first, second, baseMb, oneMb, fiveMb, closedMb, processes);
    return 0;
}

QString run(const QString &program, const QStringList &args, const QProcessEnvironment &env = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int mappedWebEngine(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().count("WebEngine");
}

// The real program: no WebEngine before the first window, loaded after it.
void lazyLoadCheck()
{
    const QString exe = QStringLiteral(QUILLBOX_EXE);
    const QString ldd = run(QStringLiteral("ldd"), {exe});
    std::printf("ldd Quillbox: %d libraries, %lld naming WebEngine\n", int(ldd.count(u'\n')),
                qlonglong(ldd.count(QStringLiteral("WebEngine"))));
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::copy(exe, dir.filePath(QStringLiteral("Quillbox")));
    QFile::copy(QStringLiteral(QUILLBOX_DIC_PLUGIN), dir.filePath(QString::fromLatin1(DicLoader::FileName)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    QProcess q;
    q.setProcessEnvironment(env);
    q.start(dir.filePath(QStringLiteral("Quillbox")), {});
    q.waitForStarted();
    run(dir.filePath(QStringLiteral("Quillbox")), {QStringLiteral("--hotkey"), QStringLiteral("PopUp")}, env);
    QThread::sleep(2);
    std::printf("idle Quillbox: %.1f MB resident, %d WebEngine mappings\n", rssMb(q.processId()),
                mappedWebEngine(q.processId()));
    run(dir.filePath(QStringLiteral("Quillbox")), {QStringLiteral("--hotkey"), QStringLiteral("PopUpDic")}, env);
    QThread::sleep(3);
    int processes = 0;
    const double tree = treeMb(q.processId(), &processes);
    std::printf("after one dictionary window: %d WebEngine mappings; %.1f MB in %d processes\n",
                mappedWebEngine(q.processId()), tree, processes);
    run(dir.filePath(QStringLiteral("Quillbox")), {QStringLiteral("--quit")}, env);
    q.waitForFinished(10000);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--in-process") == 0)
        return inProcessRun(argc, argv, QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    lazyLoadCheck();

    const QString pluginFolder = QFileInfo(QStringLiteral(QUILLBOX_DIC_PLUGIN)).absolutePath();
    std::vector<double> columns[7];
    for (int i = 0; i < runs; ++i) {
        const QStringList fields = run(QCoreApplication::applicationFilePath(), {QStringLiteral("--in-process"), pluginFolder})
                                       .split(u' ', Qt::SkipEmptyParts);
        if (fields.size() != 7) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            continue;
        }
        for (int c = 0; c < 7; ++c)
            columns[c].push_back(fields[c].toDouble());
    }
    std::printf("medians over %zu runs:\n", columns[0].size());
    std::printf("  first window, plugin load to page loaded: %.0f ms\n", median(columns[0]));
    std::printf("  second window to page loaded:             %.0f ms\n", median(columns[1]));
    std::printf("  memory before the plugin:   %.1f MB\n", median(columns[2]));
    std::printf("  with one window:            %.1f MB (this process and the browser's helpers)\n", median(columns[3]));
    std::printf("  with five windows:          %.1f MB in %.0f processes\n", median(columns[4]), median(columns[6]));
    std::printf("  after all closed:           %.1f MB\n", median(columns[5]));
    return 0;
}
