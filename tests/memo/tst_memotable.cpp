#include "memo/MemoTable.h"
#include "memo/TextFastReadBinary.h"
#include "platform/Cp932.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

const QString ClipGroup = QStringLiteral("クリップボード履歴");
const QString AddressGroup = QStringLiteral("クリップアドレス履歴");

// Stands in for the clipboard history: two groups with one entry each.
class FakeHistory : public HistoryLoader
{
public:
    bool loadHistoryGroups(MemoGroups &table) override
    {
        table[0] = MemoGroup{ClipGroup, {QStringLiteral("h")}, {QStringLiteral("h")}};
        table[1] = MemoGroup{AddressGroup, {QStringLiteral("u")}, {QStringLiteral("u")}};
        return true;
    }
};

// "^" in test texts stands for the field separator.
QByteArray cardBytes(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('^'), QChar(0x01));
    return Cp932::encode(t);
}

// G[a=1,b=2] H[...]: names and texts of every group in table order.
QString describe(const MemoGroups &table)
{
    QStringList groups;
    for (const MemoGroup &g : table) {
        QStringList items;
        for (int i = 0; i < g.ItemNames.size(); ++i)
            items << g.ItemNames.at(i) + QLatin1Char('=') + g.ItemTexts.value(i, QStringLiteral("<missing>"));
        if (g.ItemNames.size() != g.ItemTexts.size())
            items << QStringLiteral("<lengths differ>");
        groups << g.Name + QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    return groups.join(QLatin1Char(' '));
}

QStringList allFields(TextFastReadBinary &reader)
{
    QStringList fields;
    while (!reader.EOFText())
        fields << reader.InputLine();
    return fields;
}

} // namespace

class TestMemoTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void newReaderHoldsOneEmptyField();
    void fields_data();
    void fields();
    void emptyFileHasNoFields();
    void failedLoadKeepsReader();
    void getOneLineSplitsAtCrLf();

    void stripDatePrefix_data();
    void stripDatePrefix();

    void readMemoFile_data();
    void readMemoFile();
    void missingFile_data();
    void missingFile();
    void groupLimit_data();
    void groupLimit();
    void sampleFileLoads();

    void everyByteValueLoads();
    void randomFileOf50MBLoads();
    void folderIsNoCardFile();
    void hugeFileIsRefused();
    void unreadableFileGivesOneEmptyCard();

private:
    QString writeFile(const QByteArray &bytes, const QString &name = QStringLiteral("memo.vlw"));
    QScopedPointer<QTemporaryDir> dir_;
};

void TestMemoTable::init()
{
    dir_.reset(new QTemporaryDir);
    QVERIFY(dir_->isValid());
}

QString TestMemoTable::writeFile(const QByteArray &bytes, const QString &name)
{
    const QString path = dir_->filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestMemoTable::newReaderHoldsOneEmptyField()
{
    TextFastReadBinary reader;
    QVERIFY(!reader.EOFText());
    QCOMPARE(reader.InputLine(), QString());
    QVERIFY(reader.EOFText());
    QCOMPARE(reader.InputLine(), QString());
    QCOMPARE(reader.GetOneLine(), QStringList());
    QVERIFY(reader.EOFText());
}

void TestMemoTable::fields_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const QByteArray bom("\xEF\xBB\xBF");

    QTest::newRow("one field") << QByteArray("x") << QStringList{"x"};
    QTest::newRow("final separator dropped") << QByteArray("a\x01" "b\x01") << QStringList{"a", "b"};
    QTest::newRow("only the last empty field dropped")
        << QByteArray("a\x01\x01") << QStringList{"a", ""};
    QTest::newRow("lone separator") << QByteArray("\x01") << QStringList{""};
    QTest::newRow("leading empty field") << QByteArray("\x01x") << QStringList{"", "x"};
    QTest::newRow("line breaks kept") << QByteArray("a\r\nb \x01\r\nc")
                                      << QStringList{"a\r\nb ", "\r\nc"};
    QTest::newRow("code page 932") << Cp932::encode(u"日本\u0001語") << QStringList{"日本", "語"};
    QTest::newRow("invalid lead before separator")
        << QByteArray("\x81\x01" "b") << QStringList{QString(QChar(0xFFFD)), "b"};
    QTest::newRow("NUL bytes") << QByteArray("a\0b\x01\0", 5)
                               << QStringList{QString::fromUtf16(u"a\0b", 3), QString(QChar(0))};
    QTest::newRow("UTF-8 with byte-order mark")
        << bom + QStringLiteral("日本\u0001é😀\u0001").toUtf8() << QStringList{"日本", "é😀"};
    QTest::newRow("byte-order mark only") << bom << QStringList{};
    QTest::newRow("invalid UTF-8 keeps separator")
        << bom + QByteArray("\xE6\x97\x01x") << QStringList{QString::fromUtf16(u"\uFFFD\uFFFD"), "x"};
    QTest::newRow("mark not at the start is code page 932")
        << QByteArray("a\xEF\xBB\xBF") << QStringList{QString::fromUtf16(u"a\uFFFD\uFF7B\uFF7F")};
}

void TestMemoTable::fields()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    TextFastReadBinary reader;
    QVERIFY(reader.LoadTextFile(writeFile(bytes)));
    QCOMPARE(allFields(reader), expected);
    QCOMPARE(reader.InputLine(), QString());
}

void TestMemoTable::emptyFileHasNoFields()
{
    TextFastReadBinary reader;
    QVERIFY(reader.LoadTextFile(writeFile(QByteArray())));
    QVERIFY(reader.EOFText());
    QCOMPARE(reader.InputLine(), QString());
    QCOMPARE(reader.GetOneLine(), QStringList());
}

void TestMemoTable::failedLoadKeepsReader()
{
    TextFastReadBinary reader;
    QVERIFY(reader.LoadTextFile(writeFile("a\x01" "b\x01" "c")));
    QCOMPARE(reader.InputLine(), QStringLiteral("a"));
    QVERIFY(!reader.LoadTextFile(dir_->filePath("missing.vlw")));
    QCOMPARE(allFields(reader), (QStringList{"b", "c"}));
}

void TestMemoTable::getOneLineSplitsAtCrLf()
{
    TextFastReadBinary reader;
    QVERIFY(reader.LoadTextFile(writeFile("l1\r\nl2\nx\x01\x01z\r\n")));
    QCOMPARE(reader.GetOneLine(), (QStringList{"l1", "l2\nx"}));
    QCOMPARE(reader.GetOneLine(), (QStringList{""}));
    QCOMPARE(reader.GetOneLine(), (QStringList{"z", ""}));
    QVERIFY(reader.EOFText());
    QCOMPARE(reader.GetOneLine(), QStringList());
}

void TestMemoTable::stripDatePrefix_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("dated") << "2004/05/06：予定" << "予定";
    QTest::newRow("other characters not inspected") << "abcd/ef/gh：予定" << "予定";
    QTest::newRow("stamp only") << "2004/05/06：" << "";
    QTest::newRow("ten characters") << "2004/05/06" << "2004/05/06";
    QTest::newRow("ascii colon") << "2004/05/06:予定" << "2004/05/06:予定";
    QTest::newRow("dashes") << "2004-05-06：予定" << "2004-05-06：予定";
    QTest::newRow("only once") << "2004/05/06：2004/05/06：x" << "2004/05/06：x";
    QTest::newRow("empty") << "" << "";
}

void TestMemoTable::stripDatePrefix()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    QCOMPARE(StripDatePrefix(title), expected);
}

void TestMemoTable::readMemoFile_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("history");
    QTest::addColumn<QString>("expected");
    const QString hist = ClipGroup + "[h=h] " + AddressGroup + "[u=u]";

    QTest::newRow("one card") << "A^G^hello^" << false << "G[A=hello]";
    QTest::newRow("empty group field") << "A^^hello^" << false << "指定なし[A=hello]";
    QTest::newRow("at sign beats group field") << "Greetings＠Morning^Other^hi" << false
                                               << "Greetings[Morning=hi]";
    QTest::newRow("two at signs") << "a＠b＠c^G^t" << false << "a[b=t]";
    QTest::newRow("empty group name") << "＠x^G^t" << false << "[x=t]";
    QTest::newRow("empty item name") << "x＠^G^t" << false << "x[=t]";
    QTest::newRow("stamp then at sign") << "2004/05/06：Greetings＠Morning^G^t" << false
                                        << "Greetings[Morning=t]";
    QTest::newRow("ten-character title") << "2004/05/06^G^t" << false << "G[2004/05/06=t]";
    QTest::newRow("first-met order") << "a^G^1^b^H^2^c^G^3" << false << "G[a=1,c=3] H[b=2]";
    QTest::newRow("case counts") << "a^g^1^b^G^2" << false << "g[a=1] G[b=2]";
    QTest::newRow("width counts") << "a^Ｇ^1^b^G^2" << false << "Ｇ[a=1] G[b=2]";
    QTest::newRow("seven fields") << "a^G^1^b^G^2^c" << false << "G[a=1,b=2] 指定なし[c=]";
    QTest::newRow("eight fields") << "a^G^1^b＠c^x" << false << "G[a=1] b[c=]";
    QTest::newRow("body keeps CR LF") << "a^G^x\r\ny\r\n" << false << "G[a=x\r\ny\r\n]";
    QTest::newRow("CR LF before title") << "a^G^1^\r\nb^G^2" << false << "G[a=1,\r\nb=2]";
    QTest::newRow("two final separators") << "a^G^1^^" << false << "G[a=1] 指定なし[=]";
    QTest::newRow("nothing trimmed") << " a ＠ b ^G^ x " << false << " a [ b = x ]";
    QTest::newRow("explicit default group") << "a^指定なし^1^b^^2" << false << "指定なし[a=1,b=2]";
    QTest::newRow("empty file") << "" << false << "";
    QTest::newRow("lone separator") << "^" << false << "指定なし[=]";
    QTest::newRow("history first") << "a^G^1" << true << hist + " G[a=1]";
    QTest::newRow("empty file with history") << "" << true << hist;
    QTest::newRow("card joins history group")
        << "a^G^1^b^" + ClipGroup + "^2" << true
        << ClipGroup + "[h=h,b=2] " + AddressGroup + "[u=u] G[a=1]";
    QTest::newRow("at sign joins history group")
        << AddressGroup + "＠x^^2" << true << ClipGroup + "[h=h] " + AddressGroup + "[u=u,x=2]";
    QTest::newRow("history name without history")
        << "a^" + ClipGroup + "^1" << false << ClipGroup + "[a=1]";
}

void TestMemoTable::readMemoFile()
{
    QFETCH(QString, content);
    QFETCH(bool, history);
    QFETCH(QString, expected);
    const QString path = writeFile(cardBytes(content));
    FakeHistory on;
    NoHistory off;
    MemoGroups table{MemoGroup{QStringLiteral("stale"), {"x"}, {"x"}}};
    const MemoLoadResult result = ReadMemoFile(path, history ? static_cast<HistoryLoader &>(on) : off, table);
    QCOMPARE(describe(table), expected);
    QVERIFY(!result.groupLimitReached);
}

void TestMemoTable::missingFile_data()
{
    QTest::addColumn<bool>("history");
    QTest::newRow("history off") << false;
    QTest::newRow("history on") << true;
}

void TestMemoTable::missingFile()
{
    QFETCH(bool, history);
    FakeHistory on;
    NoHistory off;
    MemoGroups table;
    ReadMemoFile(dir_->filePath("none.vlw"), history ? static_cast<HistoryLoader &>(on) : off, table);
    const QString expected = QStringLiteral("指定なし[=]");
    QCOMPARE(describe(table),
             history ? ClipGroup + "[h=h] " + AddressGroup + "[u=u] " + expected : expected);
}

void TestMemoTable::groupLimit_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<int>("groups");
    QTest::addColumn<bool>("limited");
    // The file needs these groups plus one more, "new".
    QTest::newRow("exactly full") << false << MaxMemoGroups - 1 << false;
    QTest::newRow("one too many") << false << MaxMemoGroups << true;
    QTest::newRow("far too many") << false << MaxMemoGroups + 500 << true;
    QTest::newRow("full with history") << true << MaxMemoGroups - 3 << false;
    QTest::newRow("one too many with history") << true << MaxMemoGroups - 2 << true;
}

void TestMemoTable::groupLimit()
{
    QFETCH(bool, history);
    QFETCH(int, groups);
    QFETCH(bool, limited);
    QString text;
    for (int g = 0; g < groups; ++g)
        text += QStringLiteral("i%1^g%1^t%1^").arg(g);
    // After the table is full, cards of known groups must still arrive; new ones must not.
    text += QStringLiteral("late^g7^body^new＠late^x^y^late2^g%1^z^").arg(groups - 1);
    const QString path = writeFile(cardBytes(text));
    FakeHistory on;
    NoHistory off;
    MemoGroups table;
    const MemoLoadResult result = ReadMemoFile(path, history ? static_cast<HistoryLoader &>(on) : off, table);

    QCOMPARE(result.groupLimitReached, limited);
    QCOMPARE(table.size(), limited ? MaxMemoGroups : groups + (history ? 2 : 0) + 1);
    const int first = history ? 2 : 0;
    QCOMPARE(table.at(first).Name, QStringLiteral("g0"));
    const MemoGroup &g7 = table.at(first + 7);
    QCOMPARE(g7.ItemNames, (QStringList{"i7", "late"}));
    QCOMPARE(g7.ItemTexts, (QStringList{"t7", "body"}));
    QCOMPARE(table.last().Name, limited ? QStringLiteral("g%1").arg(MaxMemoGroups - first - 1)
                                        : QStringLiteral("new"));
    const int lastGroup = groups - 1;
    const int lastPos = first + lastGroup;
    if (lastPos < MaxMemoGroups)
        QCOMPARE(table.at(lastPos).ItemNames.last(), QStringLiteral("late2"));
}

void TestMemoTable::sampleFileLoads()
{
    const QString path = QStringLiteral(QB_SOURCE_DIR "/data/sample.vlw");
    if (!QFile::exists(path))
        QSKIP("no sample card file");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!f.readAll().startsWith("\xEF\xBB\xBF"));
    NoHistory off;
    MemoGroups table;
    ReadMemoFile(path, off, table);
    QVERIFY(table.size() >= 3);
    bool placeholder = false;
    for (const MemoGroup &g : table) {
        QVERIFY(!g.Name.isEmpty());
        QCOMPARE(g.ItemNames.size(), g.ItemTexts.size());
        for (const QString &t : g.ItemTexts) {
            QVERIFY2(!t.contains(QChar(0xFFFD)), qPrintable(t));
            placeholder = placeholder || t.contains(QStringLiteral("%1"));
        }
    }
    QVERIFY(placeholder);
}

void TestMemoTable::everyByteValueLoads()
{
    for (int b = 0; b < 256; ++b) {
        QByteArray bytes;
        bytes.append(char(b)).append("\x01G\x01").append(char(b)).append(char(b));
        NoHistory off;
        MemoGroups table;
        ReadMemoFile(writeFile(bytes), off, table);
        if (b == 0x01) {
            QCOMPARE(describe(table), QStringLiteral("指定なし[=G,=]"));
        } else {
            QCOMPARE(table.size(), 1);
            QCOMPARE(table.at(0).Name, QStringLiteral("G"));
            QCOMPARE(table.at(0).ItemNames.size(), 1);
        }
    }
}

void TestMemoTable::randomFileOf50MBLoads()
{
    QRandomGenerator rng(50);
    QByteArray bytes(50 * 1024 * 1024, Qt::Uninitialized);
    rng.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    const QString path = writeFile(bytes);
    qsizetype fieldCount = bytes.count('\x01') + 1;
    if (bytes.endsWith('\x01'))
        --fieldCount;
    NoHistory off;
    MemoGroups table;
    const MemoLoadResult result = ReadMemoFile(path, off, table);
    qsizetype items = 0;
    for (const MemoGroup &g : table)
        items += g.ItemNames.size();
    QVERIFY(table.size() <= MaxMemoGroups);
    if (result.groupLimitReached)
        QVERIFY(items < (fieldCount + 2) / 3);
    else
        QCOMPARE(items, (fieldCount + 2) / 3);
}

void TestMemoTable::folderIsNoCardFile()
{
    TextFastReadBinary reader;
    QVERIFY(!reader.LoadTextFile(dir_->path()));
    NoHistory off;
    MemoGroups table;
    ReadMemoFile(dir_->path(), off, table);
    QCOMPARE(describe(table), QStringLiteral("指定なし[=]"));
}

void TestMemoTable::hugeFileIsRefused()
{
    // Sparse: takes no disk space. Over 1 GiB is no card file, and is never read into memory.
    QFile f(dir_->filePath(QStringLiteral("huge.vlw")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(f.resize((qint64(1) << 30) + 1));
    f.close();
    TextFastReadBinary reader;
    QVERIFY(!reader.LoadTextFile(f.fileName()));
    QCOMPARE(reader.InputLine(), QString());
    QVERIFY(reader.EOFText());
}

void TestMemoTable::unreadableFileGivesOneEmptyCard()
{
    const QString path = writeFile(cardBytes("a^G^1"), QStringLiteral("locked.vlw"));
    QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                            | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                            | QFileDevice::ExeOther);
    QProcess probe;
    const auto runAsNobody = [&probe](const QString &file) {
        probe.start(QStringLiteral("setpriv"),
                    {"--reuid=65534", "--regid=65534", "--clear-groups", MEMO_PROBE, file});
        return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit
               && probe.exitCode() == 0;
    };

    if (geteuid() != 0) {
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        TextFastReadBinary reader;
        if (reader.LoadTextFile(path))
            QSKIP("this user can read a file of mode 0200");
        NoHistory off;
        MemoGroups table;
        ReadMemoFile(path, off, table);
        QCOMPARE(describe(table), QStringLiteral("指定なし[=]"));
        return;
    }
    // Root reads everything: check the same file as an ordinary user, readable first.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    if (!runAsNobody(path))
        QSKIP("cannot drop privileges here");
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()), QStringLiteral("load=1\nG[a]\n"));

    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(runAsNobody(path));
    QCOMPARE(QString::fromUtf8(probe.readAllStandardOutput()), QStringLiteral("load=0\n指定なし[]\n"));
}

QTEST_MAIN(TestMemoTable)
#include "tst_memotable.moc"
