#include "app/MainForm.h"

#include "app/ClockText.h"
#include "app/DesktopShortcuts.h"
#include "app/SettingsDefaults.h"
#include "platform/AtomTable.h"
#include "platform/ClipboardChain.h"
#include "platform/desktop/DispFormTop.h"
#include "util/Tool.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QEventLoop>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>

#include <cerrno>
#include <cstring>

#include <algorithm>

namespace {

// Serves the event loop until the window gains the focus, at most 300 ms: the window manager may
// refuse. A window hidden a moment ago may still count as focused: Qt acts on a loss of the focus
// only after a while, and then ends the application's activity, closing any menu opened meanwhile.
void waitUntilFocusGained(QWindow *window)
{
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    QObject::connect(qGuiApp, &QGuiApplication::focusWindowChanged, &loop, [&](QWindow *focus) {
        if (focus == window)
            loop.quit();
    });
    loop.exec();
}

} // namespace

void MainForm::connectHotKeyCommands()
{
    connect(MenuExtAPP, &QAction::triggered, this, &MainForm::MenuExtAPP_Click);
    connect(MenuSetExtApp, &QAction::triggered, this, &MainForm::MenuSetExtApp_Click);
    connect(MenuCalc, &QAction::triggered, this, [this] { MenuCalc_Click(); });
}

void MainForm::RegisterHotKeys()
{
    if (!services_.hotKeys)
        return;
    hotKey_ = std::make_unique<clsHotKey>(AtomTable::global(), *services_.hotKeys);
    hotKey_->setPTarget(hwnd_);
    connect(hotKey_.get(), &clsHotKey::HotKey, this, [this](const QString &key) {
        clsHotKey_HotKey(key, services_.hotKeyEventTime ? services_.hotKeyEventTime() : 0);
    });
    for (const HotKeyDefault &key : EnabledHotKeys(iniData))
        hotKey_->mAddHotKey(key.name, key.keyCode, key.keyMask); // a refused combination is skipped
}

void MainForm::CreateTrayIcon()
{
    if (!services_.tray)
        return;
    clstray = std::make_unique<clsSysTray>(*services_.tray);
    clstray->setPTarget(this);
    clstray->setPToolTip(windowTitle());
    clstray->setPIcon(windowIcon());
    connect(clstray.get(), &clsSysTray::MouseDown, this, [this](qint16 button) { clstray_MouseDown(button); });
    watchForTrayArea();
}

void MainForm::ReleaseHotKeysAndTray()
{
    clstray.reset();
    hotKey_.reset(); // unregisters every hot key and leaves the router
}

void MainForm::clsHotKey_HotKey(const QString &key, unsigned long timestamp)
{
    if (ClockShowing || exitRequested_)
        return;
    if (key == QStringLiteral("PopUp"))
        PopUpLists(timestamp);
    else if (key == QStringLiteral("PopUpExtApp"))
        MenuExtAPP_Click();
    else if (key == QStringLiteral("PopUpMenu"))
        PopUpMenu(timestamp);
    else if (key == QStringLiteral("PopUpClock"))
        PopUpClock();
    else if (key == QStringLiteral("PopUpHistory"))
        PopUpHistory();
    else if (key == QStringLiteral("PopUpCalc"))
        MenuCalc_Click(timestamp);
    else if (key == QStringLiteral("PopUpWebSearch"))
        PopUpWebSearch(timestamp);
    else if (key == QStringLiteral("PopUpDic"))
        MenuDicOpenOnly_Click(timestamp);
    else if (key == QStringLiteral("PopUpTV"))
        MenuDicTV_Click(timestamp);
}

bool MainForm::IsHotKeyActionName(const QString &name)
{
    const auto &keys = HotKeyDefaults();
    return std::any_of(keys.begin(), keys.end(), [&](const HotKeyDefault &key) { return key.name == name; });
}

bool MainForm::RunHotKeyAction(const QString &name, unsigned long timestamp)
{
    if (!IsHotKeyActionName(name))
        return false;
    clsHotKey_HotKey(name, timestamp);
    return true;
}

bool MainForm::afterCopyHides() const
{
    return MenuMinimize[1]->isChecked() || MenuMinimize[2]->isChecked();
}

void MainForm::PopUpMenu(unsigned long timestamp)
{
    const bool wasVisible = isVisible();
    showWindowRemembering();
    if (!wasVisible) {
        bringForward(this, timestamp);
        waitUntilFocusGained(windowHandle());
    }
    MenuExit->setEnabled(false);
    MenuRightClick->exec(wasVisible ? keyboardMenuPosition() : QCursor::pos());
    MenuExit->setEnabled(true);
    if (!wasVisible && !exitRequested_)
        hide();
}

void MainForm::PopUpClock()
{
    if (afterCopyHides() || MenuAlwaysOnTop->isChecked())
        hideUnlessUnreachable();
    ClockShowing = true;
    QMessageBox::information(nullptr, QCoreApplication::applicationName(),
                             ClockMessageText(QDateTime::currentDateTime()));
    ClockShowing = false;
}

void MainForm::PopUpHistory()
{
    PopUpLists();
    if (LstGroupName->count() > 0)
        LstGroupName->setCurrentRow(0);
    if (LstItemName->count() > 0)
        LstItemName->setCurrentRow(0);
    LstItemName->setFocus();
}

void MainForm::MenuCalc_Click(unsigned long timestamp)
{
    if (!calc_)
        return;
    // Every time: the bar may already be up, and the paste goes where the user came from.
    if (services_.rememberFocus)
        services_.rememberFocus();
    if (isVisible())
        hideUnlessUnreachable();
    calc_->setExpressionFromClipboard(clipboardNow());
    calc_->show();
    calc_->raise();
    if (services_.activateWindow)
        services_.activateWindow(calc_.get(), timestamp);
    else
        calc_->activateWindow();
    calc_->setFocus(); // the box is its focus proxy
}

void MainForm::clstray_MouseDown(int Button)
{
    if (ClockShowing || exitRequested_)
        return;
    if (Button == 1) {
        PopUpLists();
    } else if (Button == 2) {
        if (isVisible())
            activateWindow();
        QCoreApplication::processEvents();
        for (QAction *copy : MenuCopy)
            copy->setEnabled(false);
        MenuRightClick->exec(QCursor::pos());
    }
}

void MainForm::MenuExtAPP_Click()
{
    const QString commandLine = iniData.GetiniValue(QStringLiteral("ExtApp"));
    if (commandLine.isEmpty()) {
        QMessageBox::information(this, QCoreApplication::applicationName(),
                                 QStringLiteral("外部アプリが指定されていません。\r\nオプション > 外部アプリの指定 で指定してください。"));
        return;
    }
    if (afterCopyHides())
        hideUnlessUnreachable();
    // Split as a shell would, but start without one.
    QStringList args = Tool::SplitCommandLine(commandLine);
    QString error;
    QString program = args.isEmpty() ? QString() : args.takeFirst();
    // A bare name is looked up on the PATH, as a shell would.
    if (!program.isEmpty() && !program.contains(u'/')) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            program = found;
    }
    const bool started = !program.isEmpty() && services_.startProgram && services_.startProgram(program, args, &error);
    if (!started) {
        // No program at all reads as the system's own "no such file" in the user's language.
        PlainMessage(this, error.isEmpty() ? QString::fromLocal8Bit(std::strerror(ENOENT)) : error);
        PlainMessage(this, QStringLiteral("指定されたファイルが見付からないか、又はファイル名が違います。"));
    }
}

void MainForm::MenuSetExtApp_Click()
{
    const bool onTop = alwaysOnTopSetting();
    if (onTop)
        SetFormTop(this, 0);
    const QString answer = QInputDialog::getText(this, QCoreApplication::applicationName(),
                                                 QStringLiteral("外部アプリケーションをフルパスで指定してください。"),
                                                 QLineEdit::Normal, iniData.GetiniValue(QStringLiteral("ExtApp")));
    if (!answer.isEmpty()) {
        iniData.SetiniValue(QStringLiteral("ExtApp"), answer);
        PlainMessage(this, answer + QStringLiteral("に変更しました。"));
    }
    if (onTop)
        SetFormTop(this, 1);
}
