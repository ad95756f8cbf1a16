// Runs one settings-document action, so that tests can run it as an ordinary user.
#include "settings/iniMente.h"

#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const QString action = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    iniMente doc;
    if (action == QLatin1String("load-unreadable")) {
        doc.SetiniValue("Pre", "1");
        const bool ok = doc.iniLoader(file);
        std::printf("load=%d count=%d\n", int(ok), doc.count());
        return 0;
    }
    if (action == QLatin1String("save-readonly-folder")) {
        doc.iniLoader(file);
        doc.SetiniValue("A", "new");
        const bool ok = doc.iniSaverSameFilename();
        QFile f(file);
        const bool same = f.open(QIODevice::ReadOnly) && f.readAll() == "[General]\r\nA = new\r\n";
        std::printf("save=%d bytes=%s\n", int(ok), same ? "ok" : "bad");
        return 0;
    }
    return 2;
}
