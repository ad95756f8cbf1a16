#include "util/Tool.h"

#include "FakeShell.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

class TestTool : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir tmp;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        QFile f(tmp.filePath("doc.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(QDir(tmp.path()).mkpath("sub.dir"));
    }

    void pathParts_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("ext");
        QTest::addRow("win file") << "C:\\a\\b.txt" << "C:\\a" << "b.txt" << "b" << "txt";
        QTest::addRow("win two dots") << "C:\\dir\\memo.old.txt" << "C:\\dir" << "memo.old.txt" << "memo.old" << "txt";
        QTest::addRow("win no ext") << "C:\\dir\\noext" << "C:\\dir" << "noext" << "noext" << "";
        QTest::addRow("win below root") << "C:\\a" << "C:\\" << "a" << "a" << "";
        QTest::addRow("win root") << "C:\\" << "" << "" << "" << "";
        QTest::addRow("win drive") << "C:" << "" << "" << "" << "";
        QTest::addRow("win trailing sep") << "C:\\a\\b\\" << "C:\\a" << "b" << "b" << "";
        QTest::addRow("win forward slash") << "C:/a/b.txt" << "C:/a" << "b.txt" << "b" << "txt";
        QTest::addRow("unc") << "\\\\srv\\share\\d\\f.ini" << "\\\\srv\\share\\d" << "f.ini" << "f" << "ini";
        QTest::addRow("unc share root") << "\\\\srv\\share\\f.ini" << "\\\\srv\\share\\" << "f.ini" << "f" << "ini";
        QTest::addRow("posix file") << "/a/b.txt" << "/a" << "b.txt" << "b" << "txt";
        QTest::addRow("posix backslash is a name") << "/a/b\\c.txt" << "/a" << "b\\c.txt" << "b\\c" << "txt";
        QTest::addRow("posix below root") << "/a" << "/" << "a" << "a" << "";
        QTest::addRow("posix root") << "/" << "" << "" << "" << "";
        QTest::addRow("posix trailing sep") << "/a/b/" << "/a" << "b" << "b" << "";
        QTest::addRow("posix dot file") << "/home/u/.profile" << "/home/u" << ".profile" << "" << "profile";
        QTest::addRow("posix relative") << "x/y.vlw" << "x" << "y.vlw" << "y" << "vlw";
        QTest::addRow("bare name") << "README" << "" << "README" << "README" << "";
        QTest::addRow("dotted folder") << "/a.b/c" << "/a.b" << "c" << "c" << "";
        QTest::addRow("empty") << "" << "" << "" << "" << "";
    }

    void pathParts()
    {
        QFETCH(QString, path);
        QTEST(Tool::GetParentFolder(path), "parent");
        QTEST(Tool::GetFileNamePart(path), "name");
        QTEST(Tool::GetBaseName(path), "base");
        QTEST(Tool::GetExtension(path), "ext");
    }

    void makePath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("joined");
        QTest::addRow("drive only") << "C:" << "x.chm" << "C:\\x.chm";
        QTest::addRow("drive root") << "C:\\" << "x.chm" << "C:\\x.chm";
        QTest::addRow("win folder") << "C:\\dir" << "x" << "C:\\dir\\x";
        QTest::addRow("win trailing sep") << "C:\\dir\\" << "x" << "C:\\dir\\x";
        QTest::addRow("win leading sep in name") << "C:\\dir" << "\\x" << "C:\\dir\\x";
        QTest::addRow("unc") << "\\\\srv\\share" << "x" << "\\\\srv\\share\\x";
        QTest::addRow("posix") << "/a/b" << "x" << "/a/b/x";
        QTest::addRow("posix trailing sep") << "/a/b/" << "x" << "/a/b/x";
        QTest::addRow("posix root") << "/" << "x" << "/x";
        QTest::addRow("posix backslash stays") << "/a" << "\\x" << "/a/\\x";
        QTest::addRow("posix relative") << "a" << "x" << "a/x";
        QTest::addRow("no folder") << "" << "x" << "x";
    }

    void makePath()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QTEST(Tool::MakePath(folder, name), "joined");
    }

    void isDriveOnly_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::addRow("C:") << "C:" << true;
        QTest::addRow("C:\\") << "C:\\" << true;
        QTest::addRow("C:\\a") << "C:\\a" << false;
        QTest::addRow("unc prefix") << "\\\\" << false;
        QTest::addRow("posix root") << "/" << false;
        QTest::addRow("digit colon") << "1:" << false;
        QTest::addRow("empty") << "" << false;
    }

    void isDriveOnly()
    {
        QFETCH(QString, path);
        QTEST(Tool::IsDriveOnly(path), "expected");
    }

    void canOpenFile()
    {
        QVERIFY(Tool::CanOpenFile(tmp.filePath("doc.txt")));
        QVERIFY(!Tool::CanOpenFile(tmp.filePath("sub.dir")));
        QVERIFY(!Tool::CanOpenFile(tmp.filePath("missing.txt")));
        QVERIFY(!Tool::CanOpenFile(QString()));
        QVERIFY(!Tool::CanOpenFile("C:\\Windows\\win.ini"));
        // a named pipe with no writer must not block
        const QString fifo = tmp.filePath("pipe");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(Tool::CanOpenFile(fifo));
    }

    void longPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString cwd = QDir::currentPath();
        QTest::addRow("unc unchanged") << "\\\\srv\\share\\PROGRA~1\\x" << "\\\\srv\\share\\PROGRA~1\\x";
        QTest::addRow("win unchanged") << "C:\\PROGRA~1\\x.ini" << "C:\\PROGRA~1\\x.ini";
        QTest::addRow("absolute clean") << "/usr/lib/../bin/./x" << "/usr/bin/x";
        QTest::addRow("double slashes") << "//usr//bin/" << "/usr/bin";
        QTest::addRow("relative") << "a/b.ini" << cwd + "/a/b.ini";
        QTest::addRow("dot") << "." << cwd;
        QTest::addRow("empty") << "" << "";
    }

    void longPath()
    {
        QFETCH(QString, path);
        QTEST(Tool::GetLongPath(path), "expected");
    }

    void removeQuotes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addRow("quoted") << "\"/a b/c.vlw\"" << "/a b/c.vlw";
        QTest::addRow("single quote mark") << "\"" << "\"";
        QTest::addRow("two quote marks") << "\"\"" << "";
        QTest::addRow("leading only") << "\"abc" << "\"abc";
        QTest::addRow("trailing only") << "abc\"" << "abc\"";
        QTest::addRow("inner kept") << "\"a\"b\"" << "a\"b";
        QTest::addRow("empty") << "" << "";
    }

    void removeQuotes()
    {
        QFETCH(QString, text);
        QTEST(Tool::RemoveQuotes(text), "expected");
    }

    void cutWithEllipsis_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("expected");
        const QString thirty(30, u'a');
        QTest::addRow("at maximum") << thirty << 30 << thirty;
        QTest::addRow("one over") << thirty + "b" << 30 << thirty + "...";
        QTest::addRow("short") << "abc" << 30 << "abc";
        QTest::addRow("zero") << "abc" << 0 << "...";
        QTest::addRow("negative") << "abc" << -5 << "...";
        QTest::addRow("japanese") << QStringLiteral("日本語のテキスト") << 3 << QStringLiteral("日本語...");
        QTest::addRow("surrogate pair kept whole") << QStringLiteral("ab\U0001F600cd") << 3 << "ab...";
    }

    void cutWithEllipsis()
    {
        QFETCH(QString, text);
        QFETCH(int, max);
        QTEST(Tool::CutWithEllipsis(text, qint16(max)), "expected");
    }

    void firstLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addRow("two lines") << "abc\r\ndef" << "abc";
        QTest::addRow("leading break") << "\r\nabc\r\ndef" << "abc";
        QTest::addRow("leading break, one line") << "\r\nabc" << "";
        QTest::addRow("no break") << "abc" << "abc";
        QTest::addRow("lf only is no break") << "abc\ndef" << "abc\ndef";
        QTest::addRow("two leading breaks") << "\r\n\r\nabc" << "";
        QTest::addRow("empty") << "" << "";
    }

    void firstLine()
    {
        QFETCH(QString, text);
        QTEST(Tool::GetFirstLine(text), "expected");
    }

    void splitCommandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::addRow("plain") << "touch a b" << QStringList{"touch", "a", "b"};
        QTest::addRow("blanks and tabs") << "  touch\t a  " << QStringList{"touch", "a"};
        QTest::addRow("single quotes") << "touch 'new file'" << QStringList{"touch", "new file"};
        QTest::addRow("single quotes keep everything") << "echo '$HOME \"x\" \\n'" << QStringList{"echo", "$HOME \"x\" \\n"};
        QTest::addRow("double quotes") << "echo \"a 'b' c\"" << QStringList{"echo", "a 'b' c"};
        QTest::addRow("double quotes escape four") << "echo \"\\$ \\` \\\" \\\\ \\n\"" << QStringList{"echo", "$ ` \" \\ \\n"};
        QTest::addRow("no expansion") << "echo $HOME ~ *" << QStringList{"echo", "$HOME", "~", "*"};
        QTest::addRow("backslash blank") << "touch new\\ file" << QStringList{"touch", "new file"};
        QTest::addRow("backslash quote") << "echo \\'x" << QStringList{"echo", "'x"};
        QTest::addRow("joined pieces") << "a'b'\"c\"\\d" << QStringList{"abcd"};
        QTest::addRow("empty quotes are a word") << "prog '' \"\"" << QStringList{"prog", "", ""};
        QTest::addRow("continued line") << "prog a \\\n b" << QStringList{"prog", "a", "b"};
        QTest::addRow("unclosed quote runs to the end") << "prog 'a b" << QStringList{"prog", "a b"};
        QTest::addRow("trailing backslash") << "prog a\\" << QStringList{"prog", "a\\"};
        QTest::addRow("only blanks") << "   " << QStringList();
        QTest::addRow("empty") << "" << QStringList();
    }

    void splitCommandLine()
    {
        QFETCH(QString, line);
        QTEST(Tool::SplitCommandLine(line), "words");
    }

    void openDocument_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("shellResult");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QString>("openedUrl");
        QTest::addColumn<QString>("openedFile");
        const QString doc = tmp.filePath("doc.txt");
        QTest::addRow("http") << "http://example.com/" << true << true << "http://example.com/" << "";
        QTest::addRow("capital scheme") << "HTTP://EXAMPLE.COM" << true << true << "HTTP://EXAMPLE.COM" << "";
        QTest::addRow("address, shell fails") << "ftp://host/x" << false << true << "ftp://host/x" << "";
        QTest::addRow("mailto") << "mailto:a@b.c" << true << true << "mailto:a@b.c" << "";
        QTest::addRow("https takes the file branch") << "https://example.com" << true << false << "" << "";
        QTest::addRow("file") << doc << true << true << "" << doc;
        QTest::addRow("file, shell fails") << doc << false << false << "" << doc;
        QTest::addRow("folder") << tmp.filePath("sub.dir") << true << false << "" << "";
        QTest::addRow("missing") << tmp.filePath("none.chm") << true << false << "" << "";
        QTest::addRow("windows path") << "C:\\x.chm" << true << false << "" << "";
    }

    void openDocument()
    {
        QFETCH(QString, target);
        QFETCH(bool, shellResult);
        QFETCH(QString, openedUrl);
        QFETCH(QString, openedFile);
        FakeShell shell;
        shell.result = shellResult;
        QTEST(Tool::OpenDocument(shell, target), "expected");
        QCOMPARE(shell.urls, openedUrl.isEmpty() ? QStringList() : QStringList{openedUrl});
        QCOMPARE(shell.files, openedFile.isEmpty() ? QStringList() : QStringList{openedFile});
        if (!openedFile.isEmpty())
            QCOMPARE(shell.folders, QStringList{target});
    }
};

QTEST_MAIN(TestTool)
#include "tst_Tool.moc"
