// The main window on a real X server, with the desktop replaced by recording fakes.
#include "app/MainForm.h"
#include "util/ScreenFit.h"
#include "platform/Cp932.h"
#include "util/OuterFrame.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <limits>

namespace {

struct Recorder {
    QStringList clipboard;
    int pastes = 0;
    int focusRemembered = 0;
    bool selfCopySeen = false;
};

QByteArray card(const QString &title, const QString &group, const QString &body)
{
    return Cp932::encode(title + QChar(1) + group + QChar(1) + body + QChar(1));
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    Recorder rec_;
    std::unique_ptr<MainForm> form_;

    QString path(const QString &name) const { return dir_.filePath(name); }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    void writeSettings(const QStringList &lines)
    {
        writeFile(QStringLiteral("Quillbox.ini"),
                  Cp932::encode(QStringLiteral("[General]\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }

    MainForm &start(const QStringList &settings = {}, const QString &commandLine = QString())
    {
        QStringList lines = settings;
        lines << QStringLiteral("TXTFile = ") + path(QStringLiteral("QuillboxData.vlw"));
        // The history groups have tests of their own; here the memo groups start at A.
        if (!settings.join(u'\n').contains(QStringLiteral("ClipEnable")))
            lines << QStringLiteral("ClipEnable = False");
        writeSettings(lines);
        AppPaths paths{dir_.path(), QStringLiteral("Quillbox"), dir_.path()};
        AppServices services;
        rec_ = Recorder();
        services.setClipboardText = [this](const QString &t) {
            rec_.clipboard.append(t);
            rec_.selfCopySeen = form_->SelfCopyFlag;
        };
        services.pasteIntoPrevious = [this] { ++rec_.pastes; };
        services.rememberFocus = [this] { ++rec_.focusRemembered; };
        form_ = std::make_unique<MainForm>(paths, services);
        form_->Form_Load(commandLine);
        form_->show();
        QTest::qWaitForWindowExposed(form_.get());
        form_->activateWindow();
        QTest::qWaitForWindowActive(form_.get());
        // Geometry baselines need the window manager's frame, which arrives after the show.
        QTest::qWaitFor([this] { return !OuterFrameMargins(form_.get()).isNull(); }, 2000);
        return *form_;
    }

    QString settingsText() const
    {
        QFile f(dir_.filePath(QStringLiteral("Quillbox.ini")));
        f.open(QIODevice::ReadOnly);
        return Cp932::decode(f.readAll());
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(dir_.isValid());
        writeFile(QStringLiteral("QuillboxData.vlw"),
                  card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("おはようございます"))
                      + card(QStringLiteral("名前"), QStringLiteral("挨拶"), QStringLiteral("Dear %1, thank you. %1"))
                      + card(QStringLiteral("住所"), QStringLiteral("自宅"), QStringLiteral("東京都\r\n千代田区"))
                      + card(QStringLiteral("番号"), QStringLiteral("電話"), QStringLiteral("03-0000-0000")));
    }
    void cleanup() { form_.reset(); }

    void startupWritesDefaultsAndFillsGroups()
    {
        MainForm &f = start({QStringLiteral("CopyMode = 7"), QStringLiteral("MinimizeAfterCopy = 5")});
        QCOMPARE(f.windowTitle(), QStringLiteral("Quillbox with VLM Ver.") + QStringLiteral("%1.%2.%3").arg(QB_VERSION_MAJOR).arg(QB_VERSION_MINOR).arg(QB_VERSION_REVISION));
        QCOMPARE(f.LstGroupName->count(), 3);
        QCOMPARE(f.LstGroupName->item(0)->text(), QStringLiteral("A :挨拶"));
        QCOMPARE(f.LstGroupName->item(2)->text(), QStringLiteral("C :電話"));
        QCOMPARE(f.LstItemName->count(), 0);

        const QString saved = settingsText();
        QVERIFY(saved.startsWith(QStringLiteral("[General]\r\n")));
        QVERIFY(saved.contains(QStringLiteral("\r\nCopyMode = 0\r\n")));
        QVERIFY(saved.contains(QStringLiteral("\r\nMinimizeAfterCopy = 0\r\n")));
        QVERIFY(saved.contains(QStringLiteral("\r\nPopUpCalcKeyCode = 36\r\n")));
        QVERIFY(f.MenuDefaultCopyMode[0]->isChecked());
        QVERIFY(!f.MenuDefaultCopyMode[1]->isChecked());
        for (QAction *a : f.MenuMinimize)
            QVERIFY(!a->isChecked());
        QVERIFY(!f.MenuClipEnable->isChecked());
        QVERIFY(f.MenuClipBeepEnable->isChecked());
        QVERIFY(!f.MenuDicAutoCopy->isChecked());
    }

    void startupReadsSettings_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("copyMode");
        QTest::addColumn<int>("after"); // -1: no entry ticked
        QTest::addColumn<bool>("onTop");
        QTest::addColumn<bool>("clip");
        QTest::addColumn<bool>("beep");
        QTest::addColumn<QString>("family"); // empty: the design font
        QTest::newRow("numbers with blanks")
            << QStringList{"CopyMode = 1 ", "MinimizeAfterCopy = 01", "AlwayonTop = 1 "} << 1 << 1 << true << false
            << true << "";
        QTest::newRow("numbers out of range") << QStringList{"CopyMode = 7", "MinimizeAfterCopy = 5", "AlwayonTop = 2"}
                                              << 0 << -1 << false << false << true << "";
        QTest::newRow("truth values as numbers") << QStringList{"ClipEnable = 1", "ClipBoardBeep = 0"} << 0 << 0
                                                 << false << true << false << "";
        QTest::newRow("truth values in any case") << QStringList{"ClipEnable = TRUE ", "ClipBoardBeep = false"} << 0
                                                  << 0 << false << true << false << "";
        QTest::newRow("installed font") << QStringList{"FontName = DejaVu Sans"} << 0 << 0 << false << false << true
                                        << "DejaVu Sans";
        QTest::newRow("font not installed") << QStringList{"FontName = NoSuchFont"} << 0 << 0 << false << false
                                            << true << "";
    }
    void startupReadsSettings()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, copyMode);
        QFETCH(int, after);
        QFETCH(bool, onTop);
        QFETCH(bool, clip);
        QFETCH(bool, beep);
        QFETCH(QString, family);
        MainForm &f = start(lines);
        for (int i = 0; i < f.MenuDefaultCopyMode.size(); ++i)
            QCOMPARE(f.MenuDefaultCopyMode[i]->isChecked(), i == copyMode);
        for (int i = 0; i < f.MenuMinimize.size(); ++i)
            QCOMPARE(f.MenuMinimize[i]->isChecked(), i == after);
        QCOMPARE(f.MenuAlwaysOnTop->isChecked(), onTop);
        QCOMPARE(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        QCOMPARE(f.MenuClipEnable->isChecked(), clip);
        QCOMPARE(f.MenuClipBeepEnable->isChecked(), beep);
        QCOMPARE(f.LstGroupName->font().family(), family.isEmpty() ? f.font().family() : family);
        QCOMPARE(f.TxtPreview->font().family(), f.LstGroupName->font().family());
    }

    void placementValuesApplyOneByOne()
    {
        MainForm &f = start({QStringLiteral("BootupTop = abc"), QStringLiteral("BootupLeft = 1500"),
                             QStringLiteral("BootupHeight = 6000"), QStringLiteral("BootupWidth = wide")});
        QTRY_COMPARE(OuterGeometry(&f).x(), 100);
        QTRY_COMPARE(OuterGeometry(&f).height(), 400);
        QCOMPARE(OuterGeometry(&f).width(), 480); // the design width
    }

    void dragOffersOnlyFiles_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("local file") << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/x.vlw"))} << true;
        QTest::newRow("web link") << QList<QUrl>{QUrl(QStringLiteral("https://example.com/x.vlw"))} << false;
        QTest::newRow("no list") << QList<QUrl>() << false;
    }
    void dragOffersOnlyFiles()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, accepted);
        MainForm &f = start();
        QMimeData mime;
        if (!urls.isEmpty())
            mime.setUrls(urls);
        else
            mime.setText(QStringLiteral("text"));
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDragMoveEvent move(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &move);
        // A real drag always ends with a leave; without it Qt keeps pointing at this form after it is gone.
        QDragLeaveEvent leave;
        QApplication::sendEvent(&f, &leave);
        QCOMPARE(move.isAccepted(), accepted);
    }

    void lettersPickGroupThenItemAndCopy()
    {
        MainForm &f = start({QStringLiteral("MinimizeAfterCopy = 2")});
        f.LstGroupName->setFocus();
        QTest::keyClick(f.LstGroupName, Qt::Key_D); // beyond the last group
        QCOMPARE(MainForm::ListIndex(f.LstGroupName), -1);
        QTest::keyClick(f.LstGroupName, Qt::Key_B);
        QCOMPARE(MainForm::ListIndex(f.LstGroupName), 1);
        QCOMPARE(f.LstItemName->count(), 1);
        QCOMPARE(f.LstItemName->item(0)->text(), QStringLiteral("A :住所"));
        QTRY_VERIFY(f.LstItemName->hasFocus());

        QTest::keyClick(f.LstItemName, Qt::Key_A);
        QCOMPARE(rec_.clipboard, QStringList{QStringLiteral("東京都\r\n千代田区")});
        QVERIFY(rec_.selfCopySeen);
        QVERIFY(!f.SelfCopyFlag);
        QCOMPARE(rec_.pastes, 1);
        QVERIFY(!f.isVisible());
    }

    void groupLetterLeavesNothingChosen()
    {
        QByteArray cards;
        for (int i = 0; i < 40; ++i)
            cards += card(QStringLiteral("件%1").arg(i), QStringLiteral("多い"), QStringLiteral("本文%1").arg(i));
        cards += card(QStringLiteral("とても長い題名") + QString(60, u'長'), QStringLiteral("長い"), QStringLiteral("x"));
        for (int i = 0; i < 40; ++i)
            cards += card(QStringLiteral("他%1").arg(i), QStringLiteral("他"), QStringLiteral("他の本文%1").arg(i));
        writeFile(QStringLiteral("QuillboxData.vlw"), cards);
        MainForm &f = start();
        f.LstGroupName->setFocus();
        QTest::keyClick(f.LstGroupName, Qt::Key_C);
        QTRY_VERIFY(f.LstItemName->hasFocus());
        f.LstItemName->scrollToBottom();
        QTest::keyClick(f.LstItemName, Qt::Key_Escape);
        QTest::keyClick(f.LstGroupName, Qt::Key_A); // another group starts at its top
        QTRY_VERIFY(f.LstItemName->hasFocus());
        QCOMPARE(f.LstItemName->currentRow(), -1);
        QCOMPARE(f.LstItemName->verticalScrollBar()->value(), 0);
        QTest::keyClick(f.LstItemName, Qt::Key_Return); // nothing selected: nothing copied
        QVERIFY(rec_.clipboard.isEmpty());
        QTest::keyClick(f.LstItemName, Qt::Key_Down);
        QCOMPARE(MainForm::ListIndex(f.LstItemName), 0);
        QTest::keyClick(f.LstItemName, Qt::Key_Return);
        QCOMPARE(rec_.clipboard, QStringList{QStringLiteral("本文0")});

        // A label longer than the list ends inside it and shows whole as the row's tip.
        QTest::keyClick(f.LstItemName, Qt::Key_Escape);
        QTest::keyClick(f.LstGroupName, Qt::Key_B);
        QListWidgetItem *item = f.LstItemName->item(0);
        QCOMPARE(item->toolTip(), QStringLiteral("A :とても長い題名") + QString(60, u'長'));
        QVERIFY(f.LstItemName->visualItemRect(item).right() <= f.LstItemName->viewport()->width());
    }

    void reloadHandsTheKeyboardToTheGroups()
    {
        MainForm &f = start();
        f.LstGroupName->setFocus();
        QTest::keyClick(f.LstGroupName, Qt::Key_A);
        QTRY_VERIFY(f.LstItemName->hasFocus());
        f.MenuReloadItem_Click();
        QCOMPARE(MainForm::ListIndex(f.LstGroupName), -1);
        QVERIFY(f.LstGroupName->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C);
        QCOMPARE(MainForm::ListIndex(f.LstGroupName), 2);
    }

    void hidingAfterCopiesKeepsTheHeight()
    {
        MainForm &f = start({QStringLiteral("MinimizeAfterCopy = 1"), QStringLiteral("PreviewCloseTime = 3000")});
        const int before = OuterGeometry(&f).height();
        for (int i = 0; i < 6; ++i) {
            f.PopUpLists();
            QTRY_VERIFY(f.isVisible());
            QTest::keyClick(f.LstGroupName, Qt::Key_A);
            QTest::keyClick(f.LstItemName, i % 2 ? Qt::Key_A : Qt::Key_B);
            QVERIFY(!f.isVisible());
            QTest::qWait(100); // the window manager's late answers arrive meanwhile
        }
        f.PopUpLists();
        QTRY_COMPARE(OuterGeometry(&f).height(), before);
        QCOMPARE(rec_.clipboard.size(), 6);
        // The next start gets the frame the user saw, title bar included.
        f.requestExit();
        QTRY_VERIFY(f.isShutDown());
        QCOMPARE(f.iniData.GetiniValue(QStringLiteral("BootupHeight")), QString::number(before * 15));
    }

    void screenFit_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("expected");
        const QRect small(0, 0, 1024, 768);
        QTest::newRow("on the screen stays") << QRect(100, 100, 480, 340) << QRect(100, 100, 480, 340);
        QTest::newRow("title bar partly off") << QRect(800, 100, 440, 340) << QRect(584, 100, 440, 340);
        QTest::newRow("from a wide screen") << QRect(2000, 900, 480, 340) << QRect(544, 428, 480, 340);
        QTest::newRow("title bar above the top") << QRect(100, -10, 480, 340) << QRect(100, 0, 480, 340);
        QTest::newRow("larger than the screen") << QRect(-50, 10, 1500, 2000) << small;
        QTest::newRow("mostly below the bottom") << QRect(10, 700, 480, 340) << QRect(10, 428, 480, 340);
        QTest::newRow("as far off and large as X allows") << QRect(29492, 20000, 32767, 32767) << small;
    }
    void screenFit()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, expected);
        QCOMPARE(FitOnScreens(frame, 24, {QRect(0, 0, 1024, 768)}, 0), expected);
        // A second screen to the left holds nothing of it, so the answer stays the same.
        QCOMPARE(FitOnScreens(frame, 24, {QRect(-1280, 0, 1280, 1024), QRect(0, 0, 1024, 768)}, 1), expected);
    }

    // Stored placement values: made-up numbers never become a position or a size.
    void storedPixels_data()
    {
        QTest::addColumn<QString>("twips");
        QTest::addColumn<int>("pixels"); // INT_MIN: not used
        const int none = std::numeric_limits<int>::min();
        QTest::newRow("number") << "1500" << 100;
        QTest::newRow("blanks around") << " 1500 " << 100;
        QTest::newRow("negative") << "-15" << -1;
        QTest::newRow("exponent form") << "1.5e4" << 1000;
        QTest::newRow("a million pixels") << "15000000" << 1000000;
        QTest::newRow("beyond a million") << "15000015" << none;
        QTest::newRow("1e12") << "1e12" << none;
        QTest::newRow("9e9") << "9e9" << none;
        QTest::newRow("minus 1e12") << "-1e12" << none;
        QTest::newRow("nan") << "nan" << none;
        QTest::newRow("inf") << "inf" << none;
        QTest::newRow("words") << "abc" << none;
        QTest::newRow("empty") << "" << none;
    }
    void storedPixels()
    {
        QFETCH(QString, twips);
        QFETCH(int, pixels);
        QCOMPARE(StoredPixels(twips).value_or(std::numeric_limits<int>::min()), pixels);
    }

    void escapeStepsBackThenHides()
    {
        MainForm &f = start();
        f.LstGroupName->setFocus();
        QTest::keyClick(f.LstGroupName, Qt::Key_A);
        QTRY_VERIFY(f.LstItemName->hasFocus());
        QTest::keyClick(f.LstItemName, Qt::Key_Escape);
        QTRY_VERIFY(f.LstGroupName->hasFocus());
        QVERIFY(f.isVisible());
        QTest::keyClick(f.LstGroupName, Qt::Key_Escape);
        QVERIFY(!f.isVisible());
    }

    void preview_data()
    {
        QTest::addColumn<QString>("closeTime");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("closesByItself");
        QTest::newRow("closes after its time") << "400" << true << true;
        QTest::newRow("zero stays") << "0" << true << false;
        QTest::newRow("50 shows nothing") << "50" << false << false;
        QTest::newRow("not a number never closes") << "abc" << true << false;
    }
    void preview()
    {
        QFETCH(QString, closeTime);
        QFETCH(bool, shown);
        QFETCH(bool, closesByItself);
        MainForm &f = start({QStringLiteral("PreviewCloseTime = ") + closeTime});
        const int before = OuterGeometry(&f).height();
        f.LstGroupName->setCurrentRow(1);
        f.LstItemName->setCurrentRow(0);
        QCOMPARE(f.TxtPreview->isVisible(), shown);
        if (!shown)
            return;
        QVERIFY(f.TxtPreview->toPlainText().startsWith(QStringLiteral("住所\n------------\n東京都")));
        QTRY_VERIFY(OuterGeometry(&f).height() > before);
        QVERIFY(f.BtnClosePreview->isVisible());
        QTest::qWait(700);
        QCOMPARE(!f.TxtPreview->isVisible(), closesByItself);
        if (!closesByItself) {
            QTest::mouseClick(f.BtnClosePreview, Qt::LeftButton);
            QVERIFY(!f.TxtPreview->isVisible());
        }
        QTRY_COMPARE(OuterGeometry(&f).height(), before);
    }

    void clickingIntoPreviewKeepsItOpen()
    {
        MainForm &f = start({QStringLiteral("PreviewCloseTime = 300")});
        f.LstGroupName->setCurrentRow(0);
        f.LstItemName->setCurrentRow(0);
        QVERIFY(f.TxtPreview->isVisible());
        f.TxtPreview->setFocus();
        QTest::qWait(600);
        QVERIFY(f.TxtPreview->isVisible());
    }

    void partialChangeCopy_data()
    {
        QTest::addColumn<QString>("closeTime");
        QTest::addColumn<bool>("previewAfter");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("hideAndCallUp"); // Ctrl+W and the hot key during the input
        QTest::newRow("preview closes after the copy") << "3000" << false << false << false;
        QTest::newRow("preview stays open") << "0" << true << false << false;
        QTest::newRow("Esc copies nothing") << "0" << true << true << false;
        QTest::newRow("input survives Ctrl+W and the hot key") << "3000" << false << false << true;
    }
    void partialChangeCopy()
    {
        QFETCH(QString, closeTime);
        QFETCH(bool, previewAfter);
        QFETCH(bool, cancel);
        QFETCH(bool, hideAndCallUp);
        MainForm &f = start({QStringLiteral("CopyMode = 1"), QStringLiteral("PreviewCloseTime = ") + closeTime,
                             QStringLiteral("MinimizeAfterCopy = 2")});
        f.MenuMinimize_Click(0); // the window stays; a cancelled input must not paste either
        f.LstGroupName->setFocus();
        QTest::keyClick(f.LstGroupName, Qt::Key_A);
        QTimer::singleShot(100, this, [&f, cancel, hideAndCallUp] {
            if (hideAndCallUp) {
                QTest::keyClick(f.txtReplace, Qt::Key_W, Qt::ControlModifier);
                QVERIFY(!f.isVisible());
                f.PopUpLists();
            }
            // The window's keyboard focus (the window manager here may not activate a window
            // shown again without the desktop's activation, which is not handed in).
            QVERIFY(f.txtReplace->isVisible());
            QCOMPARE(f.focusWidget(), f.txtReplace);
            QVERIFY(!f.txtReplace->placeholderText().isEmpty());
            QVERIFY(!f.LstGroupName->isEnabled());
            QVERIFY(!f.LstItemName->isEnabled());
            QTest::keyClicks(f.txtReplace, QStringLiteral("Tanaka"));
            QTest::keyClick(f.txtReplace, cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
        QTest::keyClick(f.LstItemName, Qt::Key_B);
        const QStringList copied = cancel ? QStringList() : QStringList{QStringLiteral("Dear Tanaka, thank you. Tanaka")};
        QCOMPARE(rec_.clipboard, copied);
        QVERIFY(!f.txtReplace->isVisible());
        QVERIFY(f.LstItemName->isEnabled());
        QCOMPARE(f.TxtPreview->isVisible(), previewAfter);
        QVERIFY(f.isVisible()); // after-copy mode 0

        // The keyboard is back on the item list: the next letter chooses an item. It has no
        // placeholder, so it is copied as is, once.
        QCOMPARE(f.focusWidget(), f.LstItemName);
        QTest::keyClick(f.focusWidget(), Qt::Key_A);
        QCOMPARE(rec_.clipboard, copied + QStringList{QStringLiteral("おはようございます")});
        QCOMPARE(rec_.pastes, 0);
    }

    void reloadDuringWaitLeavesClipboardAlone()
    {
        MainForm &f = start({QStringLiteral("CopyMode = 1")});
        f.LstGroupName->setCurrentRow(0);
        f.LstItemName->setCurrentRow(1);
        QTimer::singleShot(100, this, [this, &f] {
            writeFile(QStringLiteral("QuillboxData.vlw"),
                      card(QStringLiteral("朝"), QStringLiteral("挨拶"), QStringLiteral("x"))
                          + card(QStringLiteral("別"), QStringLiteral("挨拶"), QStringLiteral("other %1")));
            f.MenuReloadItem_Click();
            QTest::keyClick(f.txtReplace, Qt::Key_Return);
        });
        f.MenuCopy_Click(1);
        QVERIFY(rec_.clipboard.isEmpty());
        QVERIFY(f.LstGroupName->isEnabled());
        QVERIFY(f.LstGroupName->hasFocus()); // the item list was emptied by the reload
    }

    void afterCopyModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<int>("pastes");
        QTest::newRow("stay") << 0 << true << 0;
        QTest::newRow("hide") << 1 << false << 0;
        QTest::newRow("hide and paste") << 2 << false << 1;
    }
    void afterCopyModes()
    {
        QFETCH(int, mode);
        QFETCH(bool, visible);
        QFETCH(int, pastes);
        MainForm &f = start();
        f.MenuMinimize_Click(mode);
        QCOMPARE(f.iniData.GetiniValue(QStringLiteral("MinimizeAfterCopy")), QString::number(mode));
        f.LstGroupName->setCurrentRow(2);
        f.LstItemName->setCurrentRow(0);
        f.LstItemName_DblClick();
        QCOMPARE(rec_.clipboard, QStringList{QStringLiteral("03-0000-0000")});
        QCOMPARE(f.isVisible(), visible);
        QCOMPARE(rec_.pastes, pastes);
    }

    void narrowWindowKeepsColumns()
    {
        MainForm &f = start();
        f.resize(400, 300);
        QTRY_COMPARE(f.width(), 400);
        const int itemLeft = f.LstItemName->x();
        QCOMPARE(itemLeft, int(0.45 * 400));
        f.resize(30, 300); // 0.45 * 30 is less than the close label's width
        QTRY_VERIFY(f.width() < 100);
        QCOMPARE(f.LstItemName->x(), itemLeft);
    }

    void spaceOpensMenuWithCopyEntriesFollowingSelection()
    {
        MainForm &f = start();
        f.LstGroupName->setFocus();
        bool disabledWithoutItem = false;
        QTimer::singleShot(200, this, [&] {
            disabledWithoutItem = !f.MenuCopy[0]->isEnabled() && !f.MenuCopy[1]->isEnabled();
            if (QWidget *popup = QApplication::activePopupWidget())
                popup->close();
        });
        QTest::keyClick(f.LstGroupName, Qt::Key_Space);
        QVERIFY(disabledWithoutItem);
        QVERIFY(rec_.clipboard.isEmpty());
    }

    void exitDuringReplacementSavesAndCopiesNothing()
    {
        MainForm &f = start({QStringLiteral("CopyMode = 1")});
        QSignalSpy finished(&f, &MainForm::shutdownFinished);
        f.LstGroupName->setCurrentRow(0);
        f.LstItemName->setCurrentRow(1);
        QTimer::singleShot(100, &f, [&f] { f.requestExit(); });
        f.MenuCopy_Click(1);
        QVERIFY(rec_.clipboard.isEmpty());
        QTRY_COMPARE(finished.count(), 1);
        const QString saved = settingsText();
        QVERIFY(saved.contains(QStringLiteral("\r\nBootupTop = ")));
        QVERIFY(saved.contains(QStringLiteral("\r\nBootupWidth = ")));
        f.requestExit();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
    }

    void placementSurvivesARestart()
    {
        {
            MainForm &f = start();
            f.move(123, 77);
            QTest::qWait(300);
            f.requestExit();
            QTRY_VERIFY(f.isShutDown());
        }
        const QString first = settingsText();
        form_.reset();
        AppPaths paths{dir_.path(), QStringLiteral("Quillbox"), dir_.path()};
        form_ = std::make_unique<MainForm>(paths, AppServices());
        form_->Form_Load(QString());
        form_->show();
        QTest::qWaitForWindowExposed(form_.get());
        QTest::qWait(300);
        form_->requestExit();
        QTRY_VERIFY(form_->isShutDown());
        const auto bootup = [](const QString &text) {
            QStringList keys;
            for (const QString &line : text.split(QStringLiteral("\r\n")))
                if (line.startsWith(QStringLiteral("Bootup")))
                    keys << line;
            return keys;
        };
        QCOMPARE(bootup(settingsText()).size(), 4);
        QCOMPARE(bootup(settingsText()), bootup(first));
    }

    void alwaysOnTopTogglesSettingAndBand()
    {
        MainForm &f = start();
        QVERIFY(!f.MenuAlwaysOnTop->isChecked());
        const QRect before = OuterGeometry(&f);
        f.MenuAlwaysOnTop->trigger();
        QCOMPARE(f.iniData.GetiniValue(QStringLiteral("AlwayonTop")), QStringLiteral("1"));
        QVERIFY(f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(f.isVisible());
        QTest::qWait(300);
        QTRY_COMPARE(OuterGeometry(&f), before); // neither moved nor resized
        f.MenuAlwaysOnTop->trigger();
        QCOMPARE(f.iniData.GetiniValue(QStringLiteral("AlwayonTop")), QStringLiteral("0"));
        QVERIFY(!f.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }

    void closeBoxOnlyHides()
    {
        MainForm &f = start();
        QSignalSpy finished(&f, &MainForm::shutdownFinished);
        f.close();
        QVERIFY(!f.isVisible());
        QTest::qWait(50);
        QCOMPARE(finished.count(), 0);
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
