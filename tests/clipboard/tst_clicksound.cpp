// The click never holds up the caller and ignores what it cannot play.
#include "platform/desktop/ClickSound.h"

#include <QtTest>

class TestClickSound : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void unplayableFilesPlayNothing_data();
    void unplayableFilesPlayNothing();
    void notASoundIsHandedOverAndDestroyedCleanly();
};

void TestClickSound::unplayableFilesPlayNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("empty name") << "empty";
}

void TestClickSound::unplayableFilesPlayNothing()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path;
    if (kind == QLatin1String("missing"))
        path = dir.filePath(QStringLiteral("nothing.wav"));
    else if (kind == QLatin1String("folder"))
        path = dir.path();
    ClickSound sound(nullptr, ClickSound::AssumeOutput);
    sound.play(path);
    sound.play(path);
    QCOMPARE(sound.startedCount(), 0);
}

void TestClickSound::notASoundIsHandedOverAndDestroyedCleanly()
{
    QTemporaryDir dir;
    QFile junk(dir.filePath(QStringLiteral("junk.wav")));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    ClickSound sound(nullptr, ClickSound::AssumeOutput);
    sound.preload(junk.fileName());
    for (int i = 0; i < 3; ++i)
        sound.play(junk.fileName());
    // The player finds out on its own thread that it cannot decode the file.
    QCOMPARE(sound.startedCount(), 3);
}

QTEST_MAIN(TestClickSound)
#include "tst_clicksound.moc"
