// Registration with the update-notification tool on a temporary key tree: every check and
// error, the layout of the values, merging with values of the tool itself, and the newer-build
// question.
#include "app/ViZudev.h"
#include "app/MakerInfo.h"

#include <QtTest>

#include <functional>
#include <sys/stat.h>

namespace {

struct Case {
    bool installed = true;
    QString version = QStringLiteral("3.1.0");
    QString product = QStringLiteral("Quillbox with VLM");
    QString mail = QStringLiteral("me@example.org");
    QString author = QStringLiteral("Fennecs");
    QString info = QStringLiteral("http://example.org/u.txt");
    QString host = QStringLiteral("example.org");
    QString displayName = QStringLiteral("QB");
    QString distinct;
    qint32 build = 0;
    qint32 iconIndex = 0;
    bool filePath = true;
    QString call = QStringLiteral("WriteData"); // or "InfoURL3", "CheckNewVer"
    QByteArray presetProgramKey;                // values.json written before the call
    bool makerKeyIsFile = false;                // the maker's key cannot be created
    qint64 error = 0;                           // 0: none, else the thrown number
    bool newer = false;                         // CheckNewVer's answer
    QString makerValues;                        // "Name=text;Name=#dword", "-" for no key
    QString programValues;
    QString expectFile; // below the tree, must exist afterwards
};

const QString Exe = QStringLiteral("/opt/qb/bin/Quillbox");
const QString WrittenMaker = QStringLiteral("Author=Fennecs;InfoURL=http://example.org/u.txt;DisplayHost=example.org");
const QString WrittenProgram =
    QStringLiteral("DistinctName=Quillbox with VLM;Build=#30100;FilePath=/opt/qb/bin/Quillbox;DisplayName=QB");

QJsonObject expectedValues(const QString &notation)
{
    QJsonObject values;
    for (const QString &item : notation.split(u';', Qt::SkipEmptyParts)) {
        const QString name = item.section(u'=', 0, 0);
        const QString value = item.section(u'=', 1);
        QJsonObject entry;
        if (value.startsWith(u'#')) {
            entry.insert(QStringLiteral("type"), QStringLiteral("dword"));
            entry.insert(QStringLiteral("value"), value.mid(1).toLongLong());
        } else {
            entry.insert(QStringLiteral("type"), QStringLiteral("string"));
            entry.insert(QStringLiteral("value"), value);
        }
        values.insert(name, entry);
    }
    return values;
}

int modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

Q_DECLARE_METATYPE(Case)

class TestViZudev : public QObject
{
    Q_OBJECT

    static void row(const char *name, const std::function<void(Case &)> &change)
    {
        Case c;
        change(c);
        QTest::newRow(name) << c;
    }

private Q_SLOTS:
    void registration_data()
    {
        QTest::addColumn<Case>("c");
        const qint64 base = ViZudevError::ErrorBase;
        row("written", [&](Case &c) {
            c.makerValues = WrittenMaker;
            c.programValues = WrittenProgram;
        });
        row("tool not installed", [&](Case &c) { c.installed = false; c.error = base + 1; });
        row("no mail address", [&](Case &c) { c.mail.clear(); c.error = base + 2; });
        row("no author", [&](Case &c) { c.author.clear(); c.error = base + 3; c.makerValues = QStringLiteral("-"); });
        row("no info address", [&](Case &c) { c.info.clear(); c.error = base + 4; c.makerValues = QStringLiteral("-"); });
        row("no key name", [&](Case &c) { c.product.clear(); c.error = base + 5; c.makerValues = QStringLiteral("-"); });
        row("negative icon index", [&](Case &c) { c.iconIndex = -1; c.error = base + 6; c.makerValues = QStringLiteral("-"); });
        row("maker key cannot be made", [&](Case &c) { c.makerKeyIsFile = true; c.error = base + 10; });
        row("version 4.0.0 overflows", [&](Case &c) {
            c.version = QStringLiteral("4.0.0");
            c.error = ViZudevError::Overflow;
            c.makerValues = QStringLiteral("-");
        });
        row("version 3.28.0 overflows", [&](Case &c) {
            c.version = QStringLiteral("3.28.0");
            c.error = ViZudevError::Overflow;
            c.makerValues = QStringLiteral("-");
        });
        row("given build, icon, no host or path", [&](Case &c) {
            c.build = 7;
            c.iconIndex = 2;
            c.host.clear();
            c.filePath = false;
            c.displayName.clear();
            c.distinct = QStringLiteral("Mine");
            c.makerValues = QStringLiteral("Author=Fennecs;InfoURL=http://example.org/u.txt");
            c.programValues = QStringLiteral("DistinctName=Mine;Build=#7;IconIndex=#2");
        });
        row("values of the tool stay", [&](Case &c) {
            c.presetProgramKey = R"({"LatestBuild":{"type":"dword","value":30200},"Build":{"type":"dword","value":1}})";
            c.makerValues = WrittenMaker;
            c.programValues = WrittenProgram + QStringLiteral(";LatestBuild=#30200");
        });
        row("slash and dots in names", [&](Case &c) {
            c.mail = QStringLiteral("..");
            c.distinct = QStringLiteral("a/b");
            c.makerValues = WrittenMaker;
            c.programValues = QStringLiteral("DistinctName=a/b;Build=#30100;FilePath=/opt/qb/bin/Quillbox;DisplayName=QB");
            c.expectFile = QStringLiteral("%2E%2E/a%2Fb/values.json");
        });
        row("InfoURL 3", [&](Case &c) {
            c.call = QStringLiteral("InfoURL3");
            c.makerValues = QStringLiteral("InfoURL3=http://example.org/u.txt");
        });
        row("InfoURL 3 empty", [&](Case &c) { c.call = QStringLiteral("InfoURL3"); c.info.clear(); c.error = base + 4; });
        row("InfoURL 3 no mail", [&](Case &c) { c.call = QStringLiteral("InfoURL3"); c.mail.clear(); c.error = base + 2; });
        row("InfoURL 3 not installed", [&](Case &c) { c.call = QStringLiteral("InfoURL3"); c.installed = false; c.error = base + 1; });

        const QByteArray latest30200 = R"({"LatestBuild":{"type":"dword","value":30200})";
        row("newer build", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.presetProgramKey = latest30200 + "}";
            c.newer = true;
        });
        row("next build not newer", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.presetProgramKey = latest30200 + R"(,"NextBuild":{"type":"dword","value":30100}})";
        });
        row("next build newer", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.presetProgramKey = latest30200 + R"(,"NextBuild":{"type":"dword","value":30101}})";
            c.newer = true;
        });
        row("latest is ours", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.presetProgramKey = R"({"LatestBuild":{"type":"dword","value":30100}})";
        });
        row("mistyped latest reads 0", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.presetProgramKey = R"({"LatestBuild":{"type":"string","value":"30200"}})";
        });
        row("unreadable values read 0", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.presetProgramKey = "{not json";
        });
        row("check without key", [&](Case &c) { c.call = QStringLiteral("CheckNewVer"); c.error = base + 10; });
        row("check without mail", [&](Case &c) { c.call = QStringLiteral("CheckNewVer"); c.mail.clear(); c.error = base + 2; });
        row("check with version overflow", [&](Case &c) {
            c.call = QStringLiteral("CheckNewVer");
            c.version = QStringLiteral("3.28.0");
            c.presetProgramKey = latest30200 + "}";
            c.error = ViZudevError::Overflow;
        });
    }

    void registration()
    {
        QFETCH(Case, c);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QString tree = home.filePath(QStringLiteral("Vizudev"));
        if (c.installed)
            QVERIFY(QDir().mkpath(tree));
        const QString makerFolder = tree + u'/' + KeyTreeStore::folderName(c.mail);
        const QString programFolder =
            makerFolder + u'/' + KeyTreeStore::folderName(c.distinct.isEmpty() ? c.product : c.distinct);
        if (!c.presetProgramKey.isEmpty()) {
            QVERIFY(QDir().mkpath(programFolder));
            QFile preset(programFolder + QStringLiteral("/values.json"));
            QVERIFY(preset.open(QIODevice::WriteOnly));
            preset.write(c.presetProgramKey);
        }
        if (c.makerKeyIsFile) {
            QFile blocker(makerFolder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }

        const QStringList v = c.version.split(u'.');
        ViZudev vizudev({home.path(), c.product, v[0].toInt(), v[1].toInt(), v[2].toInt(), Exe});
        QCOMPARE(vizudev.InstalledViZudev(), c.installed);
        vizudev.setMailAddress(c.mail);
        vizudev.setAuthor(c.author);
        vizudev.setDisplayHost(c.host);
        vizudev.setDisplayName(c.displayName);
        vizudev.setDistinctName(c.distinct);
        vizudev.setBuild(c.build);
        vizudev.setIconIndex(c.iconIndex);
        vizudev.setFilePath(c.filePath);

        qint64 error = 0;
        bool newer = false;
        try {
            if (c.call == QStringLiteral("WriteData")) {
                vizudev.InfoURL(c.info, 1);
                vizudev.WriteData();
            } else if (c.call == QStringLiteral("InfoURL3")) {
                vizudev.InfoURL(c.info, 3);
            } else {
                newer = vizudev.CheckNewVer();
            }
        } catch (const ViZudevError &e) {
            error = e.number();
            QVERIFY(!e.description().isEmpty());
        }
        QCOMPARE(error, c.error);
        QCOMPARE(newer, c.newer);
        QCOMPARE(QFileInfo::exists(tree), c.installed); // never made by us

        auto read = [](const QString &folder) {
            QFile f(folder + QStringLiteral("/values.json"));
            return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).object() : QJsonObject();
        };
        if (c.makerValues == QStringLiteral("-"))
            QVERIFY(!QFileInfo::exists(makerFolder));
        else if (!c.makerValues.isEmpty())
            QCOMPARE(read(makerFolder), expectedValues(c.makerValues));
        if (!c.programValues.isEmpty())
            QCOMPARE(read(programFolder), expectedValues(c.programValues));
        if (!c.expectFile.isEmpty())
            QVERIFY(QFileInfo(tree + u'/' + c.expectFile).isFile());

        // Only the user may read what we made.
        if (c.installed && c.presetProgramKey.isEmpty() && !c.makerKeyIsFile) {
            QDirIterator it(tree, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QCOMPARE(modeOf(path), it.fileInfo().isDir() ? 0700 : 0600);
                QVERIFY2(!path.contains(QStringLiteral(".tmp")), qPrintable(path));
            }
        }
    }

    void versionBuild_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<int>("build"); // -1: overflow
        QTest::newRow("3.1.0") << 3 << 1 << 0 << 30100;
        QTest::newRow("3.27.67 is the last") << 3 << 27 << 67 << 32767;
        QTest::newRow("3.27.68") << 3 << 27 << 68 << -1;
        QTest::newRow("0.0.9") << 0 << 0 << 9 << 9;
        QTest::newRow("minor 400") << 0 << 400 << 0 << -1;
    }

    void versionBuild()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(int, build);
        int got = -1;
        try {
            got = ViZudev::VersionBuild(major, minor, revision);
        } catch (const ViZudevError &e) {
            QCOMPARE(e.number(), ViZudevError::Overflow);
        }
        QCOMPARE(got, build);
    }

    // The start-up step writes Quillbox's own description, and nothing without the tool.
    void startupRegistration()
    {
        QTemporaryDir home;
        const ViZudevProgram program{home.path(), QStringLiteral("Quillbox with VLM"), 3, 1, 0, Exe};
        RegisterWithUpdateChecker(program);
        QVERIFY(!QFileInfo::exists(home.filePath(QStringLiteral("Vizudev"))));

        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("Vizudev"))));
        RegisterWithUpdateChecker(program);
        const QString tree = home.filePath(QStringLiteral("Vizudev"));
        QDirIterator it(tree, {QStringLiteral("values.json")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList files;
        while (it.hasNext())
            files << QDir(tree).relativeFilePath(it.next());
        files.sort();
        const QString maker = MakerInfo::MailAddress;
        QCOMPARE(files, QStringList({maker + QStringLiteral("/Quillbox with VLM/values.json"), maker + QStringLiteral("/values.json")}));
        QFile values(tree + u'/' + files[0]);
        QVERIFY(values.open(QIODevice::ReadOnly));
        const QJsonObject o = QJsonDocument::fromJson(values.readAll()).object();
        QCOMPARE(o.value(QStringLiteral("FilePath")).toObject().value(QStringLiteral("value")).toString(), Exe);
        QCOMPARE(o.value(QStringLiteral("Build")).toObject().value(QStringLiteral("value")).toInt(), 30100);
        QCOMPARE(o.value(QStringLiteral("DisplayName")).toObject().value(QStringLiteral("value")).toString(),
                 QStringLiteral("Quillbox with VLM"));
    }
};

QTEST_GUILESS_MAIN(TestViZudev)
#include "tst_vizudev.moc"
