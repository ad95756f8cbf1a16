// Which of an offer's MIME types is read as text and how it is decoded; what our own copies offer;
// and which Qt platform the programs choose in which session.
#include "platform/QtPlatformChoice.h"
#include "platform/wayland/WaylandClipboard.h"

#include <QTest>

class TestWaylandClipboardText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textFromOffer_data()
    {
        QTest::addColumn<QList<QByteArray>>("offered");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QString>("text");
        const QByteArray utf8 = QStringLiteral("日本語 é").toUtf8();
        QTest::newRow("UTF-8 preferred to STRING")
            << QList<QByteArray>{"STRING", "text/plain;charset=utf-8"} << utf8 << QByteArray("text/plain;charset=utf-8")
            << QStringLiteral("日本語 é");
        QTest::newRow("X11 UTF8_STRING") << QList<QByteArray>{"TARGETS", "UTF8_STRING"} << utf8 << QByteArray("UTF8_STRING")
                                         << QStringLiteral("日本語 é");
        QTest::newRow("bare text/plain is UTF-8") << QList<QByteArray>{"text/plain"} << utf8 << QByteArray("text/plain")
                                                  << QStringLiteral("日本語 é");
        QTest::newRow("STRING alone is Latin-1") << QList<QByteArray>{"STRING"} << QByteArray("caf\xe9") << QByteArray("STRING")
                                                 << QStringLiteral("café");
        QTest::newRow("an image is no text") << QList<QByteArray>{"image/png", "x-kde-passwordManagerHint"} << QByteArray("x")
                                             << QByteArray() << QString();
        QTest::newRow("html alone is no text") << QList<QByteArray>{"text/html"} << QByteArray("<b>x</b>") << QByteArray()
                                               << QString();
    }
    void textFromOffer()
    {
        QFETCH(QList<QByteArray>, offered);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, chosen);
        QFETCH(QString, text);
        QCOMPARE(WaylandClipboard::ChooseTextMimeType(offered), chosen);
        if (!chosen.isEmpty())
            QCOMPARE(WaylandClipboard::DecodeText(chosen, bytes), text);
    }

    // Every type we offer reads back as the text we put there (Latin-1 where the text allows it),
    // except our marker, which carries nothing.
    void ownCopyReadsBack()
    {
        const QString text = QStringLiteral("line 1\nline 2 é");
        for (const QByteArray &type : WaylandClipboard::OwnMimeTypes()) {
            const QByteArray bytes = WaylandClipboard::EncodeText(type, text);
            if (type == WaylandClipboard::OwnCopyMimeType)
                QVERIFY(bytes.isEmpty());
            else
                QCOMPARE(WaylandClipboard::DecodeText(type, bytes), text);
        }
        QVERIFY(!WaylandClipboard::ChooseTextMimeType(WaylandClipboard::OwnMimeTypes()).isEmpty());
    }

    void platformChoice_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("platform"); // as the user set it; null: not set
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("XWayland and Wayland: xcb") << QByteArray(":1") << QByteArray("wayland-0") << QByteArray() << QByteArray("xcb");
        QTest::newRow("the user's choice stays") << QByteArray(":1") << QByteArray("wayland-0") << QByteArray("wayland")
                                                 << QByteArray("wayland");
        QTest::newRow("plain X11: Qt's default") << QByteArray(":1") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("Wayland without X: Qt's default") << QByteArray() << QByteArray("wayland-0") << QByteArray()
                                                         << QByteArray();
    }
    void platformChoice()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(QByteArray, expected);
        qputenv("DISPLAY", display);
        qputenv("WAYLAND_DISPLAY", wayland);
        if (platform.isNull())
            qunsetenv("QT_QPA_PLATFORM");
        else
            qputenv("QT_QPA_PLATFORM", platform);
        PreferXcbPlatform();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), expected);
        // Programs we start make their own choice.
        const bool ours = platform.isNull() && !expected.isNull();
        QCOMPARE(StartedProgramEnvironment().contains(QStringLiteral("QT_QPA_PLATFORM")), !ours && !expected.isNull());
    }
};

QTEST_GUILESS_MAIN(TestWaylandClipboardText)
#include "tst_waylandclipboardtext.moc"
