// The option commands and the version window on a real X server; the test answers every
// dialog the way a user would.
#include "app/MainForm.h"
#include "app/SplashForm.h"
#include "platform/Cp932.h"
#include "platform/DesktopShortcutStore.h"
#include "platform/desktop/QtJapanese.h"
#include "../util/FakeShell.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Waits for the next modal dialog of type T and hands it to answer, which must close it.
template <typename T> void answerNext(const std::function<void(T *)> &answer)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        QPointer<T> guard(dialog);
        answer(dialog);
        if (guard && guard->isVisible()) // a failed check inside answer: do not hang
            guard->reject();
    });
    poll->start();
}

const QString Cancel = QStringLiteral("<cancel>");

// A desktop shortcut list that keeps what it was given, or refuses as a read-only one would.
struct FakeShortcutStore : DesktopShortcutStore {
    QVector<DesktopShortcut> *kept;
    bool writable;
    FakeShortcutStore(QVector<DesktopShortcut> *k, bool w) : kept(k), writable(w) {}
    QVector<DesktopShortcut> registered() const override { return *kept; }
    bool replace(const QVector<DesktopShortcut> &shortcuts, QString *error) override
    {
        if (!writable)
            *error = QStringLiteral("read-only");
        else
            *kept = shortcuts;
        return writable;
    }
};

QColor baseOf(const QWidget *w) { return w->palette().color(QPalette::Base); }

// The captions of a dialog's buttons and labels.
QStringList captions(const QWidget *dialog)
{
    QStringList texts;
    for (const auto *button : dialog->findChildren<QPushButton *>())
        texts << button->text();
    for (const auto *label : dialog->findChildren<QLabel *>())
        texts << label->text();
    return texts;
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    FakeShell shell_;
    std::unique_ptr<MainForm> form_;
    std::function<std::unique_ptr<DesktopShortcutStore>(QString *)> openShortcuts_;

    MainForm &start(const QStringList &settings = {})
    {
        QFile ini(dir_.filePath(QStringLiteral("Quillbox.ini")));
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the settings file");
        ini.write(Cp932::encode(QStringLiteral("[General]\r\nClipEnable = False\r\nTXTFile = ") +
                                dir_.filePath(QStringLiteral("none.vlw")) + QStringLiteral("\r\n") +
                                settings.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
        ini.close();
        AppPaths paths{dir_.path(), QStringLiteral("Quillbox"), dir_.path()};
        AppServices services;
        services.shell = &shell_;
        services.openDesktopShortcuts = openShortcuts_;
        form_ = std::make_unique<MainForm>(paths, services);
        form_->Form_Load(QString());
        form_->move(0, 0);
        form_->show();
        if (!QTest::qWaitForWindowExposed(form_.get()))
            qFatal("main window not shown");
        form_->activateWindow();
        QTest::qWaitForWindowActive(form_.get());
        return *form_;
    }

    QString value(const QString &key) const { return form_->iniData.GetiniValue(key); }

private Q_SLOTS:
    // As the programs do at start-up: Qt's own dialogs speak Japanese.
    void initTestCase() { QVERIFY(LoadQtJapanese(*qApp)); }

    void init()
    {
        shell_ = FakeShell();
        openShortcuts_ = nullptr;
        QFile::remove(dir_.filePath(QStringLiteral("Quillbox.html")));
    }
    void cleanup() { form_.reset(); }

    void previewTime_data()
    {
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("stored");
        QTest::newRow("zero") << false << QStringLiteral("0") << QStringLiteral("0");
        QTest::newRow("spaces kept") << true << QStringLiteral(" 250 ") << QStringLiteral(" 250 ");
        QTest::newRow("exponent") << false << QStringLiteral("-1.5e3") << QStringLiteral("-1.5e3");
        QTest::newRow("letters") << true << QStringLiteral("abc") << QStringLiteral("3000");
        QTest::newRow("number then letters") << false << QStringLiteral("12ms") << QStringLiteral("3000");
        QTest::newRow("empty") << false << QString() << QStringLiteral("3000");
        QTest::newRow("cancel") << true << Cancel << QStringLiteral("3000");
    }

    void previewTime()
    {
        QFETCH(bool, onTop);
        QFETCH(QString, answer);
        QFETCH(QString, stored);
        MainForm &f = start({QStringLiteral("AlwayonTop = ") + (onTop ? u'1' : u'0')});
        QVERIFY(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop);
        QString title, prefilled;
        bool topWhileAsking = true;
        bool asked = false;
        answerNext<QInputDialog>([&](QInputDialog *d) {
            asked = true;
            title = d->windowTitle();
            prefilled = d->textValue();
            topWhileAsking = f.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            QVERIFY(d->labelText().endsWith(QStringLiteral("\n(1000ミリ秒=1秒)")));
            if (answer == Cancel) {
                d->reject();
            } else {
                d->setTextValue(answer);
                d->accept();
            }
        });
        f.MenuChangePreviewTime->trigger();
        QVERIFY(asked);
        QCOMPARE(title, QStringLiteral("プレビューウィンドウの表示時間"));
        QCOMPARE(prefilled, QStringLiteral("3000"));
        QVERIFY(!topWhileAsking);
        QCOMPARE(value(QStringLiteral("PreviewCloseTime")), stored);
        QCOMPARE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        QVERIFY(f.isVisible());
    }

    void tvAddress_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("message"); // empty: none shown
        QTest::newRow("new address") << QStringLiteral("http://tv.example/list")
                                     << QStringLiteral("URLをhttp://tv.example/listに変更しました。");
        QTest::newRow("cancel") << Cancel << QString();
        QTest::newRow("empty") << QString() << QString();
    }

    void tvAddress()
    {
        QFETCH(QString, answer);
        QFETCH(QString, message);
        MainForm &f = start();
        const QString before = value(QStringLiteral("TVProgramTableURL"));
        QVERIFY(!before.isEmpty());
        QString prefilled, shown;
        answerNext<QInputDialog>([&](QInputDialog *d) {
            prefilled = d->textValue();
            QCOMPARE(d->windowTitle(), QStringLiteral("TV番組表URLの設定"));
            QCOMPARE(d->labelText(), QStringLiteral("TV番組表のURLを指定してください。"));
            if (answer == Cancel) {
                d->reject();
                return;
            }
            d->setTextValue(answer);
            // Only where a box comes: a waiting answer would outlive this test and its locals.
            if (!message.isEmpty()) {
                answerNext<QMessageBox>([&](QMessageBox *box) {
                    shown = box->text();
                    box->accept();
                });
            }
            d->accept();
        });
        f.MenuChangeTVProgramTableURL->trigger();
        QCOMPARE(prefilled, before);
        QCOMPARE(shown, message);
        QCOMPARE(value(QStringLiteral("TVProgramTableURL")), message.isEmpty() ? before : answer);
    }

    void colours_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QColor>("chosen"); // invalid: Cancel
        QTest::addColumn<QColor>("initial");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored"); // red in the low byte
        // Settings start with text 0x0000FF (red), active 0x00FF00, inactive 0xFF0000.
        QTest::newRow("text") << 0 << QColor(10, 20, 30) << QColor(255, 0, 0) << QStringLiteral("TextColor")
                              << QStringLiteral("1971210");
        QTest::newRow("active") << 1 << QColor(40, 50, 60) << QColor(0, 255, 0) << QStringLiteral("ActiveAreaColor")
                                << QStringLiteral("3945000");
        QTest::newRow("inactive") << 2 << QColor(70, 80, 90) << QColor(0, 0, 255) << QStringLiteral("InactiveAreaColor")
                                  << QStringLiteral("5918790");
        QTest::newRow("text cancelled") << 0 << QColor() << QColor(255, 0, 0) << QStringLiteral("TextColor")
                                        << QStringLiteral("255");
        QTest::newRow("active cancelled") << 1 << QColor() << QColor(0, 255, 0) << QStringLiteral("ActiveAreaColor")
                                          << QStringLiteral("65280");
    }

    void colours()
    {
        QFETCH(int, index);
        QFETCH(QColor, chosen);
        QFETCH(QColor, initial);
        QFETCH(QString, key);
        QFETCH(QString, stored);
        MainForm &f = start({QStringLiteral("TextColor = 255"), QStringLiteral("ActiveAreaColor = 65280"),
                             QStringLiteral("InactiveAreaColor = 16711680")});
        f.LstGroupName->setFocus();
        QTRY_COMPARE(baseOf(f.LstGroupName), QColor(0, 255, 0));
        QColor shownFirst;
        QStringList shownCaptions;
        answerNext<QColorDialog>([&](QColorDialog *d) {
            shownFirst = d->currentColor();
            shownCaptions = captions(d);
            QVERIFY(d->testOption(QColorDialog::DontUseNativeDialog));
            QCOMPARE(d->parentWidget(), &f);
            if (!chosen.isValid()) {
                d->reject();
                return;
            }
            d->setCurrentColor(chosen);
            d->accept();
        });
        f.MenuOptionBackColor[index]->trigger();
        QCOMPARE(shownFirst, initial);
        QVERIFY2(shownCaptions.contains(QStringLiteral("キャンセル")) && !shownCaptions.contains(QStringLiteral("&Basic colors")),
                 qPrintable(shownCaptions.join(u'|')));
        QCOMPARE(value(key), stored);
        QCOMPARE(f.activeColor(), index == 1 && chosen.isValid() ? chosen : QColor(0, 255, 0));
        QCOMPARE(f.inactiveColor(), index == 2 && chosen.isValid() ? chosen : QColor(0, 0, 255));

        // The focused list gets the active colour back from its focus handler. Window managers
        // do not always hand the focus back after a dialog; the user then clicks the window.
        if (!QTest::qWaitFor([&] { return f.LstGroupName->hasFocus(); }, 1000))
            f.activateWindow();
        QTRY_VERIFY(f.LstGroupName->hasFocus());
        QTRY_COMPARE(baseOf(f.LstGroupName), f.activeColor());
        QCOMPARE(baseOf(f.LstItemName), f.inactiveColor());
        QCOMPARE(baseOf(f.TxtPreview), f.inactiveColor());
        const QColor text = index == 0 && chosen.isValid() ? chosen : QColor(255, 0, 0);
        for (QWidget *w : {static_cast<QWidget *>(f.LstGroupName), static_cast<QWidget *>(f.LstItemName),
                           static_cast<QWidget *>(f.TxtPreview)})
            QCOMPARE(w->palette().color(QPalette::Text), text);
    }

    void font_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<double>("initialSize"); // 0: not both stored, the dialog starts with the design font
        QTest::addColumn<double>("chosenSize");  // 0: Cancel
        QTest::addColumn<QString>("storedSize");
        const QString family = QStringLiteral("FontName = Noto Sans CJK JP");
        // Qt's dialog offers whole points only.
        QTest::newRow("no font stored") << QStringList() << 0.0 << 11.0 << QStringLiteral("11");
        QTest::newRow("starts with stored") << QStringList{family, QStringLiteral("FontSize = 14")} << 14.0 << 9.0
                                            << QStringLiteral("9");
        QTest::newRow("name only") << QStringList{family} << 0.0 << 12.0 << QStringLiteral("12");
        QTest::newRow("cancel") << QStringList{family, QStringLiteral("FontSize = 14")} << 14.0 << 0.0
                                << QStringLiteral("14");
    }

    void font()
    {
        QFETCH(QStringList, settings);
        QFETCH(double, initialSize);
        QFETCH(double, chosenSize);
        QFETCH(QString, storedSize);
        // The size is written with "." whatever the user's locale.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        MainForm &f = start(settings);
        const QString family = QStringLiteral("Noto Sans CJK JP");
        // The dialog opens on the font in use, never on the first family of its list.
        const QFont inUse = f.LstGroupName->font();
        double shownSize = -1;
        QString shownFamily;
        QStringList shownCaptions;
        answerNext<QFontDialog>([&](QFontDialog *d) {
            shownSize = d->currentFont().pointSizeF();
            shownFamily = d->currentFont().family();
            shownCaptions = captions(d);
            if (chosenSize == 0) {
                d->reject();
                return;
            }
            QFont chosen(family);
            chosen.setPointSizeF(chosenSize);
            chosen.setBold(true);
            chosen.setItalic(true);
            d->setCurrentFont(chosen);
            d->accept();
        });
        f.MenuOptionFont->trigger();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(shownSize, initialSize > 0 ? initialSize : inUse.pointSizeF());
        QCOMPARE(shownFamily, initialSize > 0 ? family : inUse.family());
        QVERIFY2(!shownCaptions.contains(QStringLiteral("Font st&yle")), qPrintable(shownCaptions.join(u'|')));
        QCOMPARE(value(QStringLiteral("FontSize")), storedSize);
        if (chosenSize == 0)
            return;
        QCOMPARE(value(QStringLiteral("FontName")), family);
        for (QWidget *w : {static_cast<QWidget *>(f.LstGroupName), static_cast<QWidget *>(f.LstItemName),
                           static_cast<QWidget *>(f.TxtPreview)}) {
            QCOMPARE(w->font().family(), family);
            QCOMPARE(w->font().pointSizeF(), chosenSize);
            QVERIFY(!w->font().bold());
            QVERIFY(!w->font().italic());
        }
    }

    void helpOpensTheGuideBesideTheProgram()
    {
        MainForm &f = start();
        f.MenuDispHelp->trigger(); // no guide: nothing opened, nothing shown
        QVERIFY(shell_.files.isEmpty());
        QFile guide(dir_.filePath(QStringLiteral("Quillbox.html")));
        QVERIFY(guide.open(QIODevice::WriteOnly));
        guide.close();
        f.MenuDispHelp->trigger();
        QCOMPARE(shell_.files, QStringList{dir_.filePath(QStringLiteral("Quillbox.html"))});
        QVERIFY(shell_.urls.isEmpty());
    }

    // What lies below shows through the rounded corners; the cut tiles of the last row and
    // column are painted; the version and the maker's page.
    void versionWindow()
    {
        MainForm &f = start();
        QWidget below;
        below.setWindowFlags(Qt::FramelessWindowHint);
        below.setAutoFillBackground(true);
        QPalette p = below.palette();
        p.setColor(QPalette::Window, Qt::magenta);
        below.setPalette(p);
        below.setGeometry(600, 100, 600, 500);
        below.show();
        QVERIFY(QTest::qWaitForWindowExposed(&below));

        const QImage tile = SplashForm::TileImage().toImage();
        bool checked = false;
        answerNext<SplashForm>([&](SplashForm *s) {
            QCOMPARE(s->parentWidget(), &f);
            QVERIFY(s->windowFlags().testFlag(Qt::FramelessWindowHint));
            QCOMPARE(s->lblVer->text(), QStringLiteral(" Ver.%1.%2.%3").arg(QB_VERSION_MAJOR).arg(QB_VERSION_MINOR).arg(QB_VERSION_REVISION));
            QCOMPARE(s->Label1->text(), QStringLiteral("Quillbox"));
            QCOMPARE(s->Label2->text(), QStringLiteral("Memo"));
            s->move(620, 120);
            QTRY_COMPARE(s->geometry().topLeft(), QPoint(620, 120));
            const int w = s->width();
            const int h = s->height();
            QVERIFY(w % SplashForm::TileSize != 0 && h % SplashForm::TileSize != 0);
            // Inside the shape: the cut last column half-way down, the cut last row half-way across.
            const QList<QPoint> inner{{w - 3, h / 2}, {w - 8, h / 2 + 7}, {w / 2, h - 3}, {w / 2 + 11, h - 9}};
            QImage shot;
            QTRY_VERIFY_WITH_TIMEOUT(
                (shot = QGuiApplication::primaryScreen()->grabWindow(0, 620, 120, w, h).toImage(),
                 shot.pixelColor(2, 2) == QColor(Qt::magenta) && shot.pixelColor(w - 3, h / 2) != QColor(Qt::magenta)),
                3000);
            QCOMPARE(shot.pixelColor(w - 2, h - 2), QColor(Qt::magenta));
            for (const QPoint &pt : inner)
                QCOMPARE(shot.pixelColor(pt), tile.pixelColor(pt.x() % SplashForm::TileSize, pt.y() % SplashForm::TileSize));

            QTest::mouseClick(s->Label5, Qt::LeftButton);
            QCOMPARE(shell_.urls.size(), 1);
            QVERIFY(s->Label5->text().endsWith(shell_.urls.first()));
            checked = true;
            QTest::mouseClick(s->BtnOK, Qt::LeftButton);
        });
        f.MenuVerInfo->trigger(); // returns once OK closed it
        QVERIFY(checked);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // GNOME keeps the shortcuts in its own list; elsewhere the lines for the compositor are shown.
    void desktopShortcuts_data()
    {
        QTest::addColumn<QString>("desktop"); // "" : no shortcut list of the desktop's own
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("message"); // %1: the executable
        QTest::newRow("GNOME") << "GNOME" << true
                               << "デスクトップのキーボードショートカットに次のホットキーを登録しました。\n\n"
                                  "<Alt>Delete  Quillbox: 一覧を表示\n<Alt>Scroll_Lock  Quillbox: 外部アプリ呼出\n"
                                  "<Alt>Page_Down  Quillbox: 現在の日時を表示";
        QTest::newRow("GNOME read-only") << "GNOME" << false << "デスクトップのショートカットに登録できませんでした。\nread-only";
        QTest::newRow("sway") << "" << true
                              << "次の行を ~/.config/sway/config or ~/.config/i3/config に追加して、設定を読み込み直してください。\n\n"
                                 "bindsym Mod1+Delete exec '%1' --hotkey PopUp\n"
                                 "bindsym Mod1+Scroll_Lock exec '%1' --hotkey PopUpExtApp\n"
                                 "bindsym Mod1+Page_Down exec '%1' --hotkey PopUpClock";
    }
    void desktopShortcuts()
    {
        QFETCH(QString, desktop);
        QFETCH(bool, writable);
        QFETCH(QString, message);
        QVector<DesktopShortcut> kept{{QStringLiteral("PopUpTV"), QStringLiteral("old"), QStringLiteral("old"),
                                       QStringLiteral("F1")}};
        if (!desktop.isEmpty()) {
            openShortcuts_ = [&kept, writable](QString *) -> std::unique_ptr<DesktopShortcutStore> {
                return std::make_unique<FakeShortcutStore>(&kept, writable);
            };
        }
        // Three hot keys left on.
        QStringList settings;
        for (const char *off : {"PopUpMenu", "PopUpHistory", "PopUpWebSearch", "PopUpDic", "PopUpTV", "PopUpCalc"})
            settings.append(QString::fromLatin1(off) + QStringLiteral(" = 0"));
        qputenv("XDG_CURRENT_DESKTOP", desktop.isEmpty() ? "sway" : desktop.toLatin1());
        MainForm &f = start(settings);
        const QString exe = QCoreApplication::applicationFilePath();
        QString shown;
        answerNext<QMessageBox>([&](QMessageBox *box) {
            shown = box->text();
            box->accept();
        });
        f.MenuDesktopShortcuts->trigger();
        QCOMPARE(shown, message.contains(QStringLiteral("%1")) ? message.arg(exe) : message);
        QCOMPARE(kept.size(), desktop.isEmpty() || !writable ? 1 : 3);
        if (kept.size() == 3)
            QCOMPARE(kept.first(), (DesktopShortcut{QStringLiteral("PopUp"), QStringLiteral("Quillbox: 一覧を表示"),
                                                    u'\'' + exe + QStringLiteral("' --hotkey PopUp"),
                                                    QStringLiteral("<Alt>Delete")}));
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
