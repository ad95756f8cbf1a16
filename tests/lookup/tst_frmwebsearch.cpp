// The web-search window on a real X server with a recording shell.
#include "lookup/frmWebSearch.h"
#include "FakeShell.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

struct Settings {
    QHash<QString, QString> values;
    LookupSettings reader()
    {
        return {[this](const QString &key) { return values.value(key); },
                [this](const QString &key, const QString &def) {
                    if (values.value(key).isEmpty())
                        values.insert(key, def);
                    return values.value(key);
                }};
    }
};

} // namespace

class TestWebSearch : public QObject
{
    Q_OBJECT

    Settings settings_;
    FakeShell shell_;
    std::unique_ptr<frmWebSearch> form_;

    frmWebSearch &open(const QStringList &engines)
    {
        settings_.values.clear();
        for (int i = 0; i < engines.size(); ++i)
            settings_.values.insert(QStringLiteral("WebSearchURL%1").arg(i + 1), engines[i]);
        settings_.values.insert(QStringLiteral("WebSearchFeelingLuckyURL"), QStringLiteral("http://lucky/?q="));
        shell_ = FakeShell();
        form_ = std::make_unique<frmWebSearch>(shell_, settings_.reader(), QStringLiteral("Quillbox with VLM Ver.3.1.0"));
        form_->show();
        form_->activateWindow();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowActive(form_.get());
        return *form_;
    }

    void type(const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QLineEdit *edit = form_->cmbKeyWord->lineEdit();
        edit->setFocus();
        edit->clear();
        edit->insert(text); // key clicks carry Latin-1 only
        QTest::keyClick(edit, Qt::Key_Return, modifiers);
    }

private Q_SLOTS:
    void cleanup() { form_.reset(); }

    void caption()
    {
        QCOMPARE(open({}).windowTitle(), QStringLiteral("WebSearch on Quillbox with VLM Ver.3.1.0"));
        QVERIFY(!form_->chkClose->isChecked());
    }

    void addressTest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("address");
        QTest::newRow("http") << QStringLiteral("http://a.example/") << true;
        QTest::newRow("www") << QStringLiteral("www.example.jp") << true;
        QTest::newRow("ftp") << QStringLiteral("ftp://f.example") << true;
        QTest::newRow("mailto") << QStringLiteral("mailto:a@b") << true;
        QTest::newRow("telnet") << QStringLiteral("telnet:host") << true;
        QTest::newRow("drive letter names nothing here") << QStringLiteral("C:\\dir") << false;
        QTest::newRow("capital H") << QStringLiteral("Http://a.example/") << false;
        QTest::newRow("https") << QStringLiteral("https://a.example/") << false;
        QTest::newRow("WWW") << QStringLiteral("WWW.example.jp") << false;
        QTest::newRow("words") << QStringLiteral("hello world") << false;
        QTest::newRow("one character") << QStringLiteral(":") << false;
    }
    void addressTest()
    {
        QFETCH(QString, text);
        QFETCH(bool, address);
        QCOMPARE(frmWebSearch::IsAddress(text), address);
    }

    void search_data()
    {
        QTest::addColumn<QStringList>("engines");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<bool>("remembered");
        QTest::addColumn<QStringList>("refused"); // settings named in a warning, their addresses not opened
        const QStringList three{QStringLiteral("http://e1/?q="), QStringLiteral("http://e2/?q="),
                                QStringLiteral("http://e3/?q=")};
        QTest::newRow("single") << three << false << false << QStringLiteral("a b")
                                << QStringList{QStringLiteral("http://e1/?q=a+b")} << true << QStringList();
        QTest::newRow("multi in order") << three << true << false << QStringLiteral("日本")
                                        << QStringList{QStringLiteral("http://e1/?q=%93%FA%96%7B"),
                                                       QStringLiteral("http://e2/?q=%93%FA%96%7B"),
                                                       QStringLiteral("http://e3/?q=%93%FA%96%7B")}
                                        << true << QStringList();
        QTest::newRow("multi, second empty")
            << QStringList{QStringLiteral("http://e1/?q="), QString(), QStringLiteral("http://e3/?q=")} << true << false
            << QStringLiteral("x") << QStringList{QStringLiteral("http://e1/?q=x")} << true << QStringList();
        QTest::newRow("first-hit") << three << true << true << QStringLiteral("a-b")
                                   << QStringList{QStringLiteral("http://lucky/?q=a%2Db")} << true << QStringList();
        QTest::newRow("first-hit has no address test") << three << false << true << QStringLiteral("www.x.jp")
                                                        << QStringList{QStringLiteral("http://lucky/?q=www%2Ex%2Ejp")} << true << QStringList();
        QTest::newRow("www opened as http") << three << true << false << QStringLiteral("www.x.jp")
                                            << QStringList{QStringLiteral("http://www.x.jp")} << false << QStringList();
        QTest::newRow("http opened as it is") << three << true << false << QStringLiteral("http://a/日")
                                              << QStringList{QStringLiteral("http://a/日")} << false << QStringList();
        QTest::newRow("drive path is searched") << three << false << false << QStringLiteral("C:\\x")
                                                << QStringList{QStringLiteral("http://e1/?q=C%3A%5Cx")} << true << QStringList();
        QTest::newRow("absolute path opened as a file")
            << three << true << false << QStringLiteral("/tmp/a b.txt")
            << QStringList{QStringLiteral("file /tmp/a b.txt")} << false << QStringList();
        QTest::newRow("home path opened as a file") << three << false << false << QStringLiteral("~/notes")
                                                    << QStringList{QStringLiteral("file ") + QDir::homePath() + QStringLiteral("/notes")}
                                                    << false << QStringList();
        QTest::newRow("tilde without slash is searched") << three << false << false << QStringLiteral("~x")
                                                         << QStringList{QStringLiteral("http://e1/?q=%7Ex")} << true << QStringList();
        QTest::newRow("capital H is searched") << three << false << false << QStringLiteral("Http://a")
                                               << QStringList{QStringLiteral("http://e1/?q=Http%3A%2F%2Fa")} << true << QStringList();
        QTest::newRow("empty opens nothing") << three << true << false << QString() << QStringList() << false << QStringList();
        QTest::newRow("engine key missing: default of the second")
            << QStringList() << false << false << QStringLiteral("q")
            << QStringList{QStringLiteral("http://search.biglobe.ne.jp/Titles?qt=q")} << true << QStringList();
        QTest::newRow("script engine refused, the others run")
            << QStringList{QStringLiteral("javascript:alert(1)//"), QStringLiteral("http://e2/?q="),
                           QStringLiteral("file:///etc/")}
            << true << false << QStringLiteral("x") << QStringList{QStringLiteral("http://e2/?q=x")} << true
            << QStringList{QStringLiteral("WebSearchURL1"), QStringLiteral("WebSearchURL3")};
        QTest::newRow("https engine") << QStringList{QStringLiteral("HTTPS://e1/?q=")} << false << false
                                      << QStringLiteral("x") << QStringList{QStringLiteral("HTTPS://e1/?q=x")} << true
                                      << QStringList();
    }

    void search()
    {
        QFETCH(QStringList, engines);
        QFETCH(bool, multi);
        QFETCH(bool, ctrl);
        QFETCH(QString, text);
        QFETCH(QStringList, opened);
        QFETCH(bool, remembered);
        QFETCH(QStringList, refused);
        open(engines).chkSearchMulti->setChecked(multi);
        type(text, ctrl ? Qt::ControlModifier : Qt::NoModifier);
        QStringList seen = shell_.urls;
        for (const QString &file : std::as_const(shell_.files))
            seen << QStringLiteral("file ") + file;
        QCOMPARE(seen, opened);
        QStringList warned;
        for (const QMessageBox *box : form_->findChildren<QMessageBox *>())
            warned << box->text().section(u' ', 1, 1);
        QCOMPARE(warned, refused);
        QCOMPARE(form_->cmbKeyWord->count(), remembered ? 1 : 0);
        if (remembered)
            QCOMPARE(form_->cmbKeyWord->itemText(0), text);
        QVERIFY(form_->isVisible());
    }

    void historyKeepsTwentyNine()
    {
        open({QStringLiteral("http://e1/?q=")});
        for (int i = 1; i <= 31; ++i)
            type(QStringLiteral("w%1").arg(i));
        QCOMPARE(form_->cmbKeyWord->count(), frmWebSearch::HistoryLimit);
        QCOMPARE(form_->cmbKeyWord->itemText(0), QStringLiteral("w31"));
        QCOMPARE(form_->cmbKeyWord->itemText(28), QStringLiteral("w3"));
        // Duplicates are kept; typing alone never adds.
        type(QStringLiteral("w31"));
        QCOMPARE(form_->cmbKeyWord->itemText(1), QStringLiteral("w31"));
        QTest::keyClicks(form_->cmbKeyWord->lineEdit(), QStringLiteral("typed"));
        QCOMPARE(form_->cmbKeyWord->count(), frmWebSearch::HistoryLimit);
    }

    void hidingAfterSearch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("words") << QStringLiteral("word");
        QTest::newRow("address") << QStringLiteral("www.x.jp");
        QTest::newRow("empty") << QString();
    }
    void hidingAfterSearch()
    {
        QFETCH(QString, text);
        open({QStringLiteral("http://e1/?q=")}).chkClose->setChecked(true);
        type(text);
        QVERIFY(!form_->isVisible());
    }

    void helpTextKeepsItsThreeLines()
    {
        open({});
        const QStringList lines = form_->Label2->text().split(u'\n');
        QCOMPARE(lines.size(), 3);
        const QFontMetrics metrics(form_->Label2->font());
        for (const QString &line : lines)
            QVERIFY2(metrics.horizontalAdvance(line) <= form_->Label2->contentsRect().width(), qPrintable(line));
        QVERIFY(form_->rect().contains(form_->Label2->geometry()));
    }

    void closeBoxAndEscHide()
    {
        open({});
        QVERIFY(!form_->close()); // the close box is refused and only hides
        QVERIFY(!form_->isVisible());
        QVERIFY(!form_->testAttribute(Qt::WA_DeleteOnClose));
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        QTest::keyClick(form_->cmbKeyWord->lineEdit(), Qt::Key_Escape);
        QVERIFY(!form_->isVisible());
        // Unloading at exit really closes.
        form_->show();
        form_->Unload();
        QVERIFY(!form_->isVisible());
    }
};

QTEST_MAIN(TestWebSearch)
#include "tst_frmwebsearch.moc"
