#include "app/MainForm.h"

#include "app/CommandLine.h"
#include "app/ListRules.h"
#include "app/SettingsDefaults.h"
#include "app/SettingColors.h"
#include "util/Tool.h"
#include "platform/desktop/DispFormTop.h"
#include "util/OuterFrame.h"
#include "util/ScreenFit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QWindow>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

#include <cstdio>

void MainForm::Form_Load(const QString &commandLine)
{
    // Step 2: the settings file, or the one the command line names.
    settingsFile_ = Tool::MakePath(paths_.programFolder, paths_.exeBaseName + QStringLiteral(".ini"));
    if (const QString ini = CommandLineFile(commandLine, QStringLiteral("ini")); !ini.isEmpty())
        settingsFile_ = Tool::GetLongPath(ini);

    iniData.iniLoader(settingsFile_);
    WriteDefaults(iniData, VersionText(),
                  Tool::MakePath(paths_.programFolder, paths_.exeBaseName + QStringLiteral("Data.vlw")));
    setWindowTitle(MainFormCaption());
    ClockShowing = false;
    SelfCopyFlag = false;
    RegisterHotKeys();
    CreateTrayIcon();

    LoadRecentLists();
    const QString memo = CommandLineFile(commandLine, QStringLiteral("vlw"));
    if (Tool::CanOpenFile(memo)) {
        const QString longPath = Tool::GetLongPath(memo);
        AddRecentFile(longPath, recentMemoList_);
        iniData.SetiniValue(QStringLiteral("TXTFile"), longPath);
    }

    if (!Tool::CanOpenFile(iniData.GetiniValue(QStringLiteral("Txtfile"))))
        reportIfNotSaved(iniData.iniSaver(settingsFile_), iniData); // so a new settings file exists on disk at once
    MenuReloadItem_Click();

    ApplySettings();
    tmrMemoFileCheck->setInterval(2000);
    tmrMemoFileCheck->start();
    reportIfNotSaved(iniData.iniSaver(settingsFile_), iniData);
    FillRecentMenu(MenuFileRecent, recentMemoList_, true);
    FillRecentMenu(MenuFileRecentVLM, recentEditorList_, false);
    RegisterUpdateChecker();
    StartClipMonitor();
}

void MainForm::ApplySettings()
{
    bool ok = false;
    QColor c = ColorFromSetting(iniData.GetiniValue(QStringLiteral("InactiveAreaColor"), qint64(4210752)), &ok);
    if (ok)
        inactiveColor_ = c;
    c = ColorFromSetting(iniData.GetiniValue(QStringLiteral("ActiveAreaColor"), qint64(6710886)), &ok);
    if (ok)
        activeColor_ = c;
    const QColor text = ColorFromSetting(iniData.GetiniValue(QStringLiteral("TextColor"), qint64(16777215)), &ok);
    setControlColors(ok ? &text : nullptr);

    const QString fontName = iniData.GetiniValue(QStringLiteral("FontName"), QString());
    bool sizeOk = false;
    const double size = iniData.GetiniValue(QStringLiteral("FontSize"), QString()).toDouble(&sizeOk);
    setControlFont(fontName, sizeOk ? size : 0);

    // Numbers compare as numbers: "1 " and "01" are 1.
    const auto copyMode = iniMente::NumberValue(iniData.GetiniValue(QStringLiteral("CopyMode"), qint64(0)));
    if (copyMode == 0 || copyMode == 1) {
        MenuDefaultCopyMode_Click(int(*copyMode));
    } else {
        MenuDefaultCopyMode_Click(0);
        iniData.SetiniValue(QStringLiteral("CopyMode"), qint64(0));
    }

    const auto after = iniMente::NumberValue(iniData.GetiniValue(QStringLiteral("MinimizeAfterCopy"), qint64(0)));
    if (after == 0 || after == 1 || after == 2) {
        MenuMinimize_Click(int(*after));
    } else {
        iniData.SetiniValue(QStringLiteral("MinimizeAfterCopy"), qint64(0));
        for (QAction *item : MenuMinimize)
            item->setChecked(false);
    }

    const bool onTop = alwaysOnTopSetting();
    MenuAlwaysOnTop->setChecked(onTop);
    SetFormTop(this, onTop ? 1 : 0);

    MenuDicAutoCopy->setChecked(iniData.GetiniBool(QStringLiteral("MenuDicAutoCopy"), false));
    restorePlacement();
    // The same reader as the history itself, so the tick always shows what the history does.
    MenuClipEnable->setChecked(iniData.GetiniBool(QStringLiteral("ClipEnable"), true));
    MenuClipBeepEnable->setChecked(iniData.GetiniBool(QStringLiteral("ClipBoardBeep"), true));
    LoadCalcWindow();
}

bool MainForm::alwaysOnTopSetting() const
{
    return iniMente::NumberValue(iniData.GetiniValue(QStringLiteral("AlwayonTop"))) == 1;
}

// Loads the calculator bar hidden and gives it its two options.
void MainForm::LoadCalcWindow()
{
    if (!calc_) {
        CalcServices calcServices;
        calcServices.setClipboardText = services_.setClipboardText;
        calcServices.pasteIntoPrevious = services_.pasteIntoPrevious;
        calc_ = std::make_unique<frmCalc>(calcServices);
    }
    calc_->MenuRightPasteAfterCopy->setChecked(iniData.GetiniBool(QStringLiteral("CalcPasteAfterCopy"), true));
    calc_->MenuRightSplit3->setChecked(iniData.GetiniBool(QStringLiteral("CalcSplit3"), true));
}

void MainForm::UnloadCalcWindow()
{
    if (!calc_)
        return;
    iniData.SetiniValue(QStringLiteral("CalcPasteAfterCopy"), calc_->MenuRightPasteAfterCopy->isChecked());
    iniData.SetiniValue(QStringLiteral("CalcSplit3"), calc_->MenuRightSplit3->isChecked());
    calc_.reset();
}

// ---- Placement (stored in twips, 15 per pixel, of the outer frame) ---------------------

void MainForm::restorePlacement()
{
    if (iniData.GetiniValue(QStringLiteral("BootupTop")).isEmpty())
        return;
    // Each value that is a number applies on its own; the others keep the design placement.
    const auto pixels = [this](const char *key) { return StoredPixels(iniData.GetiniValue(QString::fromLatin1(key))); };
    QRect frame = OuterGeometry(this);
    bool any = false;
    if (const auto t = pixels("BootupTop"); t && (any = true))
        frame.moveTop(*t);
    if (const auto l = pixels("BootupLeft"); l && (any = true))
        frame.moveLeft(*l);
    if (const auto h = pixels("BootupHeight"); h && *h > 0 && (any = true))
        frame.setHeight(*h);
    if (const auto w = pixels("BootupWidth"); w && *w > 0 && (any = true))
        frame.setWidth(*w);
    if (!any)
        return;
    pendingOuterGeometry_ = PlaceOnScreens(this, frame);
    move(pendingOuterGeometry_.topLeft());
    resize(pendingOuterGeometry_.size());
    applyPendingPlacement();
}

void MainForm::storePlacement()
{
    // A placement not yet applied (the window was never framed) is kept as it was.
    const QRect outer = pendingOuterGeometry_.isValid() ? pendingOuterGeometry_ : OuterGeometry(this);
    iniData.SetiniValue(QStringLiteral("BootupTop"), QString::number(outer.y() * 15));
    iniData.SetiniValue(QStringLiteral("BootupLeft"), QString::number(outer.x() * 15));
    iniData.SetiniValue(QStringLiteral("BootupHeight"), QString::number(outer.height() * 15));
    iniData.SetiniValue(QStringLiteral("BootupWidth"), QString::number(outer.width() * 15));
}

// ---- Reload, copy-mode options --------------------------------------------------------

void MainForm::MenuReloadItem_Click()
{
    // No group stays chosen; a list that had the keyboard hands it to the group list, so the
    // next letter picks a group instead of acting on the emptied item list.
    const bool listHadFocus = focusWidget() == LstGroupName || focusWidget() == LstItemName;
    LstGroupName->clear();
    LstItemName->clear();
    const QString memoFile = iniData.GetiniValue(QStringLiteral("TXTFile"));
    // Stamped before reading: a save during the read shows as a change at the next tick.
    memoWatch_.memoRead(QueryFileStatus(memoFile));
    ReadMemoFile(memoFile, *clipHistory_, MemoGroups);
    QStringList names;
    names.reserve(MemoGroups.size());
    for (const MemoGroup &group : MemoGroups)
        names.append(group.Name);
    FillList(LstGroupName, names);
    if (listHadFocus)
        LstGroupName->setFocus();
    FindTableChanged(true);
}

void MainForm::MenuDefaultCopyMode_Click(int index)
{
    for (int i = 0; i < MenuDefaultCopyMode.size(); ++i)
        MenuDefaultCopyMode[i]->setChecked(i == index);
    iniData.SetiniValue(QStringLiteral("CopyMode"), qint64(index));
}

void MainForm::MenuMinimize_Click(int index)
{
    for (int i = 0; i < MenuMinimize.size(); ++i)
        MenuMinimize[i]->setChecked(i == index);
    iniData.SetiniValue(QStringLiteral("MinimizeAfterCopy"), qint64(index));
}

// ---- Showing, closing and exits -----------------------------------------------------------

void MainForm::showWindowRemembering()
{
    if (!isVisible() && services_.rememberFocus)
        services_.rememberFocus();
    // Shown again, the window stays where the user left it: a window without an explicit
    // position would be placed anew by the window manager.
    if (isHidden() && windowHandle() && !pendingOuterGeometry_.isValid())
        windowHandle()->setPosition(windowHandle()->position());
    // Late answers of the window manager may have resized the hidden window.
    if (isHidden() && baseHeight_ > 0)
        setClientHeight(baseHeight_ + (TxtPreview->isHidden() ? 0 : previewHeight_));
    show();
}

void MainForm::PopUpLists(unsigned long timestamp)
{
    showWindowRemembering();
    raise();
    if (services_.activateWindow)
        services_.activateWindow(this, timestamp);
    else
        activateWindow();
    LstGroupName->setFocus(); // disabled during the "%1" input, which then keeps the keyboard
}

void MainForm::closeEvent(QCloseEvent *event)
{
    if (shutDown_) {
        event->accept();
        return;
    }
    // The close box only hides: the program stays in the tray.
    TmrCloseTimer_Timer();
    event->ignore();
    hide();
}

void MainForm::MenuExit_Click()
{
    requestExit();
}

void MainForm::requestExit()
{
    if (exitRequested_)
        return;
    exitRequested_ = true;
    // End every nested loop first (the "%1" wait, menus, message boxes, dialogs).
    if (replaceLoop_)
        replaceLoop_->quit();
    QTimer::singleShot(0, this, &MainForm::finishExit);
}

void MainForm::finishExit()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    if (QWidget *modal = QApplication::activeModalWidget())
        modal->close();
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, this, &MainForm::finishExit);
        return;
    }
    shutdown();
}

void MainForm::reportIfNotSaved(bool saved, const iniMente &document)
{
    if (!saved)
        std::fprintf(stderr, "Quillbox: not saved, the old file is kept: %s\n", qUtf8Printable(document.lastSaveError()));
}

void MainForm::shutdown()
{
    if (shutDown_)
        return;
    StopClipMonitor();
    TmrCloseTimer_Timer();
    storePlacement();
    UnloadLookupWindows();
    UnloadCalcWindow();
    reportIfNotSaved(iniData.iniSaverSameFilename(), iniData);
    ReleaseHotKeysAndTray();
    shutDown_ = true;
    Q_EMIT shutdownFinished();
}
