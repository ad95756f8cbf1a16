#include "app/MainForm.h"

#include "app/ClockText.h"
#include "app/SettingsDefaults.h"
#include "platform/AtomTable.h"
#include "platform/desktop/DispFormTop.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>

#include <algorithm>

void MainForm::connectHotKeyCommands()
{
    connect(MenuExtAPP, &QAction::triggered, this, &MainForm::MenuExtAPP_Click);
    connect(MenuSetExtApp, &QAction::triggered, this, &MainForm::MenuSetExtApp_Click);
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
    for (const HotKeyDefault &key : HotKeyDefaults()) {
        const QString code = iniData.GetiniValue(key.name + QStringLiteral("KeyCode"));
        const QString mask = iniData.GetiniValue(key.name + QStringLiteral("KeyMask"));
        if (iniData.GetiniValue(key.name) != QStringLiteral("1") || code.isEmpty() || mask.isEmpty())
            continue;
        bool codeOk = false, maskOk = false;
        const qint32 vk = code.trimmed().toInt(&codeOk);
        const qint32 modifiers = mask.trimmed().toInt(&maskOk);
        if (codeOk && maskOk)
            hotKey_->mAddHotKey(key.name, vk, modifiers); // a refused combination is skipped
    }
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
        PopUpMenu();
    else if (key == QStringLiteral("PopUpClock"))
        PopUpClock();
    else if (key == QStringLiteral("PopUpHistory"))
        PopUpHistory();
    // The calculator, dictionary and web-search windows answer their keys once they exist.
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

void MainForm::PopUpMenu()
{
    const bool wasVisible = isVisible();
    showWindowRemembering();
    MenuExit->setEnabled(false);
    MenuRightClick->exec(QCursor::pos());
    MenuExit->setEnabled(true);
    if (!wasVisible && !exitRequested_)
        hide();
}

void MainForm::PopUpClock()
{
    if (afterCopyHides() || MenuAlwaysOnTop->isChecked())
        hide();
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
        hide();
    // Split as a shell would, but start without one.
    QStringList args = QProcess::splitCommand(commandLine);
    QString error;
    const QString program = args.isEmpty() ? QString() : args.takeFirst();
    const bool started = !program.isEmpty() && services_.startProgram && services_.startProgram(program, args, &error);
    if (!started) {
        QMessageBox::information(this, QCoreApplication::applicationName(),
                                 error.isEmpty() ? QStringLiteral("No such program: ") + commandLine : error);
        QMessageBox::information(this, QCoreApplication::applicationName(),
                                 QStringLiteral("指定されたファイルが見付からないか、又はファイル名が違います。"));
    }
}

void MainForm::MenuSetExtApp_Click()
{
    const bool onTop = iniData.GetiniValue(QStringLiteral("AlwayonTop")) == QStringLiteral("1");
    if (onTop)
        SetFormTop(this, 0);
    const QString answer = QInputDialog::getText(this, QCoreApplication::applicationName(),
                                                 QStringLiteral("外部アプリケーションをフルパスで指定してください。"),
                                                 QLineEdit::Normal, iniData.GetiniValue(QStringLiteral("ExtApp")));
    if (!answer.isEmpty()) {
        iniData.SetiniValue(QStringLiteral("ExtApp"), answer);
        QMessageBox::information(this, QCoreApplication::applicationName(), answer + QStringLiteral("に変更しました。"));
    }
    if (onTop)
        SetFormTop(this, 1);
}
