#include "app/MainForm.h"

#include "app/CommandLine.h"
#include "app/ListRules.h"
#include "app/SettingsDefaults.h"
#include "util/Tool.h"
#include "platform/desktop/DispFormTop.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

// Settings colours hold red in the low byte.
QColor colorFromSetting(const QString &value, bool *ok)
{
    const qint64 v = value.trimmed().toLongLong(ok);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

bool isTrue(const QString &value)
{
    return value.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
}

} // namespace

void MainForm::Form_Load(const QString &commandLine)
{
    // Step 2: the settings file, or the one the command line names.
    settingsFile_ = Tool::MakePath(paths_.programFolder, paths_.exeBaseName + QStringLiteral(".ini"));
    if (Tool::GetExtension(commandLine).toLower() == QStringLiteral("ini"))
        settingsFile_ = Tool::GetLongPath(Tool::RemoveQuotes(commandLine.trimmed()));

    iniData.iniLoader(settingsFile_);
    WriteDefaults(iniData, VersionText(),
                  Tool::MakePath(paths_.programFolder, paths_.exeBaseName + QStringLiteral("Data.vlw")));
    setWindowTitle(MainFormCaption());
    ClockShowing = false;
    SelfCopyFlag = false;
    RegisterHotKeys();
    CreateTrayIcon();

    LoadRecentLists();
    if (Tool::GetExtension(commandLine).toLower() == QStringLiteral("vlw")) {
        const QString memo = Tool::RemoveQuotes(commandLine.trimmed());
        if (Tool::CanOpenFile(memo)) {
            const QString longPath = Tool::GetLongPath(memo);
            AddRecentFile(longPath, recentMemoList_);
            iniData.SetiniValue(QStringLiteral("TXTFile"), longPath);
        }
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
    StartClipMonitor();
}

void MainForm::ApplySettings()
{
    bool ok = false;
    QColor c = colorFromSetting(iniData.GetiniValue(QStringLiteral("InactiveAreaColor"), qint64(4210752)), &ok);
    if (ok)
        inactiveColor_ = c;
    c = colorFromSetting(iniData.GetiniValue(QStringLiteral("ActiveAreaColor"), qint64(6710886)), &ok);
    if (ok)
        activeColor_ = c;
    const QColor text = colorFromSetting(iniData.GetiniValue(QStringLiteral("TextColor"), qint64(16777215)), &ok);
    for (QWidget *w : {static_cast<QWidget *>(LstGroupName), static_cast<QWidget *>(LstItemName),
                       static_cast<QWidget *>(TxtPreview)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, inactiveColor_);
        if (ok)
            p.setColor(QPalette::Text, text);
        w->setPalette(p);
    }

    const QString fontName = iniData.GetiniValue(QStringLiteral("FontName"), QString());
    const QString fontSize = iniData.GetiniValue(QStringLiteral("FontSize"), QString());
    for (QWidget *w : {static_cast<QWidget *>(LstGroupName), static_cast<QWidget *>(LstItemName),
                       static_cast<QWidget *>(TxtPreview)}) {
        QFont f = w->font();
        if (!fontName.isEmpty())
            f.setFamily(fontName);
        bool sizeOk = false;
        const double size = fontSize.toDouble(&sizeOk);
        if (sizeOk && size > 0)
            f.setPointSizeF(size);
        w->setFont(f);
    }

    const QString copyMode = iniData.GetiniValue(QStringLiteral("CopyMode"), qint64(0));
    if (copyMode == QStringLiteral("0") || copyMode == QStringLiteral("1")) {
        MenuDefaultCopyMode_Click(copyMode.toInt());
    } else {
        MenuDefaultCopyMode_Click(0);
        iniData.SetiniValue(QStringLiteral("CopyMode"), qint64(0));
    }

    const QString after = iniData.GetiniValue(QStringLiteral("MinimizeAfterCopy"), qint64(0));
    if (after == QStringLiteral("0") || after == QStringLiteral("1") || after == QStringLiteral("2")) {
        MenuMinimize_Click(after.toInt());
    } else {
        iniData.SetiniValue(QStringLiteral("MinimizeAfterCopy"), qint64(0));
        for (QAction *item : MenuMinimize)
            item->setChecked(false);
    }

    const bool onTop = iniData.GetiniValue(QStringLiteral("AlwayonTop")) == QStringLiteral("1");
    MenuAlwaysOnTop->setChecked(onTop);
    SetFormTop(this, onTop ? 1 : 0);

    MenuDicAutoCopy->setChecked(isTrue(iniData.GetiniValue(QStringLiteral("MenuDicAutoCopy"), false)));
    restorePlacement();
    MenuClipEnable->setChecked(isTrue(iniData.GetiniValue(QStringLiteral("ClipEnable"), true)));
    MenuClipBeepEnable->setChecked(isTrue(iniData.GetiniValue(QStringLiteral("ClipBoardBeep"), true)));
}

// ---- Placement (stored in twips, 15 per pixel, of the outer frame) ---------------------

void MainForm::restorePlacement()
{
    const QString top = iniData.GetiniValue(QStringLiteral("BootupTop"));
    if (top.isEmpty())
        return;
    bool ok[4] = {};
    const double t = top.toDouble(&ok[0]);
    const double l = iniData.GetiniValue(QStringLiteral("BootupLeft")).toDouble(&ok[1]);
    const double h = iniData.GetiniValue(QStringLiteral("BootupHeight")).toDouble(&ok[2]);
    const double w = iniData.GetiniValue(QStringLiteral("BootupWidth")).toDouble(&ok[3]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || h <= 0 || w <= 0)
        return;
    pendingOuterGeometry_ = QRect(qRound(l / 15), qRound(t / 15), qRound(w / 15), qRound(h / 15));
    move(pendingOuterGeometry_.topLeft());
    resize(pendingOuterGeometry_.size());
    applyPendingPlacement();
}

void MainForm::storePlacement()
{
    // A placement not yet applied (the window was never framed) is kept as it was.
    const QRect outer = pendingOuterGeometry_.isValid() ? pendingOuterGeometry_ : frameGeometry();
    iniData.SetiniValue(QStringLiteral("BootupTop"), QString::number(outer.y() * 15));
    iniData.SetiniValue(QStringLiteral("BootupLeft"), QString::number(outer.x() * 15));
    iniData.SetiniValue(QStringLiteral("BootupHeight"), QString::number(outer.height() * 15));
    iniData.SetiniValue(QStringLiteral("BootupWidth"), QString::number(outer.width() * 15));
}

// ---- Reload, copy-mode options --------------------------------------------------------

void MainForm::MenuReloadItem_Click()
{
    LstGroupName->clear();
    LstItemName->clear();
    ReadMemoFile(iniData.GetiniValue(QStringLiteral("TXTFile")), *clipHistory_, MemoGroups);
    QStringList labels;
    labels.reserve(MemoGroups.size());
    for (int i = 0; i < MemoGroups.size(); ++i)
        labels.append(ListLabel(i, MemoGroups[i].Name));
    LstGroupName->addItems(labels);
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
    LstGroupName->setFocus();
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
    reportIfNotSaved(iniData.iniSaverSameFilename(), iniData);
    ReleaseHotKeysAndTray();
    shutDown_ = true;
    Q_EMIT shutdownFinished();
}
