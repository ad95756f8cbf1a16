// Finding the dictionary-window plugin: a missing or broken file is reported, never loaded.
#include "lookup/DicLoader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDicLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void unusable_data()
    {
        QTest::addColumn<QByteArray>("content"); // of quillbox_dic.so; empty: no such file
        QTest::addColumn<QString>("errorPart");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("not found in");
        QTest::newRow("missing names its package") << QByteArray() << QStringLiteral("「quillbox-dictionary」");
        QTest::newRow("not a library") << QByteArray("plain text") << QStringLiteral("quillbox_dic.so");
    }
    void unusable()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, errorPart);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (!content.isEmpty()) {
            QFile f(dir.filePath(QString::fromLatin1(DicLoader::FileName)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        DicLoader loader({dir.path(), dir.filePath(QStringLiteral("lib"))});
        QString error;
        QCOMPARE(loader.plugin(&error), nullptr);
        QVERIFY(!loader.isLoaded());
        QVERIFY2(error.contains(errorPart), qPrintable(error));
        // Asked again, it answers the same way instead of crashing.
        QCOMPARE(loader.plugin(nullptr), nullptr);
    }
};

QTEST_MAIN(TestDicLoader)
#include "tst_dicloader.moc"
