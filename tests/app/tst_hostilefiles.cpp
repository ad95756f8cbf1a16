// Files that are not what they seem, where the card file, the history store and the update
// checker's key tree are read:
// named pipes, links to devices and to other folders, oversized files. None may hang a
// reader, flood memory, or lead the store to touch anything outside its own folder.
#include "memo/TextFastReadBinary.h"
#include "platform/KeyTreeStore.h"
#include "platform/UserStore.h"

#include <QtTest>

#include <future>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

const QString App = QStringLiteral("Fennecs SoftWares");
const QString Section = QStringLiteral("PipClipBoardHistory");
const QString Short = QStringLiteral("short text");
const QString Long = QString(400, QLatin1Char('L')); // kept in a text file of its own
const char Missing[] = "-";

QString key(int i) { return QStringLiteral("Clip%1").arg(i, 4, 10, QLatin1Char('0')); }

bool touch(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs work on a thread of its own; false when it has not ended within the time. A hung
// reader is left behind rather than hanging the test.
bool finishesWithin(int ms, std::function<void()> work)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread([work = std::move(work), done] {
        work();
        done->set_value();
    }).detach();
    return finished.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cardFileIsReadOnlyWhenRegular_data();
    void cardFileIsReadOnlyWhenRegular();
    void storeStaysInsideItsFolder_data();
    void storeStaysInsideItsFolder();
    void keyTreeStaysInsideItsFolder_data();
    void keyTreeStaysInsideItsFolder();
};

void TestHostileFiles::cardFileIsReadOnlyWhenRegular_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("regular file") << "regular" << true;
    QTest::newRow("named pipe") << "fifo" << false;
    QTest::newRow("link to a named pipe") << "link to fifo" << false;
    QTest::newRow("link to /dev/zero") << "link to zero" << false;
    QTest::newRow("folder") << "folder" << false;
}

void TestHostileFiles::cardFileIsReadOnlyWhenRegular()
{
    QFETCH(QString, kind);
    QFETCH(bool, loaded);
    QTemporaryDir dir;
    const QString card = dir.filePath(QStringLiteral("card.vlw"));
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    if (kind == QLatin1String("regular"))
        QVERIFY(touch(card, "title\x01group\x01text\x01"));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(card).constData(), 0600), 0);
    else if (kind == QLatin1String("link to fifo"))
        QVERIFY(QFile::link(fifo, card));
    else if (kind == QLatin1String("link to zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), card));
    else
        QVERIFY(QDir().mkdir(card));

    auto reader = std::make_shared<TextFastReadBinary>();
    auto result = std::make_shared<std::pair<bool, QString>>();
    QVERIFY2(finishesWithin(3000, [reader, result, card] {
                 result->first = reader->LoadTextFile(card);
                 result->second = reader->InputLine();
             }),
             "the load hangs");
    QCOMPARE(result->first, loaded);
    QCOMPARE(result->second, loaded ? QStringLiteral("title") : QString());
}

void TestHostileFiles::storeStaysInsideItsFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expectedShort"); // what the store then gives for the two keys
    QTest::addColumn<QString>("expectedLong");
    QTest::addColumn<bool>("saves");

    QTest::newRow("untouched") << "none" << Short << Long << true;
    QTest::newRow("index is a named pipe") << "index fifo" << Missing << Missing << true;
    QTest::newRow("index links to /dev/zero") << "index zero" << Missing << Missing << true;
    QTest::newRow("index links to a file outside") << "index outside" << Missing << Missing << true;
    QTest::newRow("index larger than any history") << "index huge" << Missing << Missing << true;
    QTest::newRow("text file is a named pipe") << "text fifo" << Short << Missing << true;
    QTest::newRow("text file links outside") << "text outside" << Short << Missing << true;
    QTest::newRow("texts folder links outside") << "texts outside" << Short << Missing << false;
    QTest::newRow("section folder links outside") << "section outside" << Missing << Missing << false;
}

void TestHostileFiles::storeStaysInsideItsFolder()
{
    QFETCH(QString, kind);
    QFETCH(QString, expectedShort);
    QFETCH(QString, expectedLong);
    QFETCH(bool, saves);

    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("config"));
    QString section, blob;
    {
        FileUserStore store(root);
        QVERIFY(store.SaveSettings(App, Section, {{key(0), Short}, {key(1), Long}}));
        section = store.sectionFolder(App, Section);
        const QStringList blobs = QDir(section + QStringLiteral("/texts")).entryList(QDir::Files);
        QCOMPARE(blobs.size(), 1);
        blob = section + QStringLiteral("/texts/") + blobs.first();
    }
    // Someone else's folder, with a file named like one of ours and one that is not.
    const QString outside = dir.filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    const QStringList outsideFiles{QFileInfo(blob).fileName(), QStringLiteral("index.json"), QStringLiteral("notes.txt")};
    for (const QString &name : outsideFiles)
        QVERIFY(touch(outside + QLatin1Char('/') + name, "theirs"));

    const QString index = section + QStringLiteral("/index.json");
    auto replace = [](const QString &path) { return QFile::remove(path) || !QFileInfo::exists(path); };
    auto moveAway = [&](const QString &folder) {
        // The real folder moves out of the way; the link takes its place.
        return QDir().rename(folder, folder + QStringLiteral(".old")) && QFile::link(outside, folder);
    };
    if (kind == QLatin1String("index fifo")) {
        QVERIFY(replace(index));
        QCOMPARE(::mkfifo(QFile::encodeName(index).constData(), 0600), 0);
    } else if (kind == QLatin1String("index zero")) {
        QVERIFY(replace(index) && QFile::link(QStringLiteral("/dev/zero"), index));
    } else if (kind == QLatin1String("index outside")) {
        QVERIFY(replace(index) && QFile::link(outside + QStringLiteral("/index.json"), index));
    } else if (kind == QLatin1String("index huge")) {
        QFile f(index);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(qint64(300) << 20)); // sparse: costs no disk
    } else if (kind == QLatin1String("text fifo")) {
        QVERIFY(replace(blob));
        QCOMPARE(::mkfifo(QFile::encodeName(blob).constData(), 0600), 0);
    } else if (kind == QLatin1String("text outside")) {
        QVERIFY(replace(blob) && QFile::link(outside + QLatin1Char('/') + outsideFiles.first(), blob));
    } else if (kind == QLatin1String("texts outside")) {
        QVERIFY(moveAway(section + QStringLiteral("/texts")));
    } else if (kind == QLatin1String("section outside")) {
        QVERIFY(moveAway(section));
    }

    auto store = std::make_shared<FileUserStore>(root);
    auto readProblems = std::make_shared<QStringList>();
    store->setReadProblemReport([readProblems](const QString &problem) { readProblems->append(problem); });
    auto seen = std::make_shared<QStringList>();
    auto saved = std::make_shared<bool>(false);
    QVERIFY2(finishesWithin(5000, [=] {
                 seen->append(store->GetSetting(App, Section, key(0), QLatin1String(Missing)));
                 seen->append(store->GetSetting(App, Section, key(1), QLatin1String(Missing)));
                 // A new text, and an old one dropped: the clean-up runs.
                 *saved = store->SaveSettings(App, Section, {{key(1), QString(300, QLatin1Char('N'))}});
             }),
             "the store hangs");
    QCOMPARE(*seen, (QStringList{expectedShort, expectedLong}));
    QCOMPARE(*saved, saves);
    if (!saves)
        QVERIFY2(store->lastError().contains(QStringLiteral("symbolic link")), qPrintable(store->lastError()));
    // Each refusal is told once, for the user to see, however often it is met after.
    QCOMPARE(readProblems->size(), kind == QLatin1String("none") ? 0 : 1);
    for (const QString &name : outsideFiles) {
        QFile f(outside + QLatin1Char('/') + name);
        QVERIFY2(f.open(QIODevice::ReadOnly) && f.readAll() == "theirs", qPrintable(name));
    }
    QCOMPARE(QDir(outside).entryList(QDir::Files).size(), outsideFiles.size());
    QVERIFY(QFileInfo(QStringLiteral("/dev/zero")).exists());
}

void TestHostileFiles::keyTreeStaysInsideItsFolder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("saves");
    QTest::addColumn<bool>("setAside"); // the old values.json kept as values.json.bad
    QTest::addColumn<quint32>("theirs"); // the other program's value afterwards

    QTest::newRow("untouched") << "none" << true << false << 7u;
    QTest::newRow("values.json is a named pipe") << "fifo" << true << true << 0u;
    QTest::newRow("values.json links to /dev/zero") << "zero" << true << true << 0u;
    QTest::newRow("values.json links to a file outside") << "outside" << true << true << 0u;
    QTest::newRow("values.json larger than any key") << "huge" << true << true << 0u;
    QTest::newRow("values.json is not JSON") << "broken" << true << true << 0u;
    QTest::newRow("key folder links outside") << "folder outside" << false << false << 0u;
}

void TestHostileFiles::keyTreeStaysInsideItsFolder()
{
    QFETCH(QString, kind);
    QFETCH(bool, saves);
    QFETCH(bool, setAside);
    QFETCH(quint32, theirs);

    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("Vizudev"));
    const QStringList key{QStringLiteral("maker"), QStringLiteral("program")};
    const QString folder = root + QStringLiteral("/maker/program");
    const QString values = folder + QStringLiteral("/values.json");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(touch(values, R"({"Theirs":{"type":"dword","value":7}})"));
    const QString outside = dir.filePath(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(touch(outside + QStringLiteral("/values.json"), "theirs"));

    const auto replace = [&] { return QFile::remove(values); };
    if (kind == QLatin1String("fifo")) {
        QVERIFY(replace());
        QCOMPARE(::mkfifo(QFile::encodeName(values).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(replace() && QFile::link(QStringLiteral("/dev/zero"), values));
    } else if (kind == QLatin1String("outside")) {
        QVERIFY(replace() && QFile::link(outside + QStringLiteral("/values.json"), values));
    } else if (kind == QLatin1String("huge")) {
        QFile f(values);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.resize(qint64(64) << 20)); // sparse: costs no disk
    } else if (kind == QLatin1String("broken")) {
        QVERIFY(touch(values, "{\"Theirs\": 7,"));
    } else if (kind == QLatin1String("folder outside")) {
        QVERIFY(QDir().rename(folder, folder + QStringLiteral(".old")) && QFile::link(outside, folder));
    }

    auto store = std::make_shared<KeyTreeStore>(root);
    auto result = std::make_shared<std::tuple<bool, quint32, quint32>>();
    QVERIFY2(finishesWithin(5000, [store, result, key] {
                 std::get<0>(*result) = store->setValues(key, {KeyValue::number(QStringLiteral("Ours"), 1)});
                 std::get<1>(*result) = store->dwordValue(key, QStringLiteral("Ours"));
                 std::get<2>(*result) = store->dwordValue(key, QStringLiteral("Theirs"));
             }),
             "the key tree hangs");
    QCOMPARE(std::get<0>(*result), saves);
    QCOMPARE(std::get<1>(*result), saves ? 1u : 0u);
    QCOMPARE(std::get<2>(*result), theirs);
    QCOMPARE(QFileInfo::exists(values + QStringLiteral(".bad")) || QFileInfo(values + QStringLiteral(".bad")).isSymLink(),
             setAside);
    if (kind == QLatin1String("broken")) {
        QFile bad(values + QStringLiteral(".bad"));
        QVERIFY(bad.open(QIODevice::ReadOnly));
        QCOMPARE(bad.readAll(), QByteArray("{\"Theirs\": 7,"));
    }
    QFile theirsOutside(outside + QStringLiteral("/values.json"));
    QVERIFY(theirsOutside.open(QIODevice::ReadOnly));
    QCOMPARE(theirsOutside.readAll(), QByteArray("theirs"));
    QCOMPARE(QDir(outside).entryList(QDir::Files).size(), 1);
    QVERIFY(QFileInfo(QStringLiteral("/dev/zero")).exists());
}

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
