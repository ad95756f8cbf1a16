#include "app/MainForm.h"

#include "clipboard/ClipChange.h"
#include "clipboard/MonitorClipBoard.h"

#include <QAction>
#include <QFileDialog>
#include <QListWidget>

void MainForm::connectClipboardCommands()
{
    clipHistory_ = std::make_unique<ClipHistory>(iniData, services_.userStore ? *services_.userStore : memoryStore_,
                                                 MemoGroups);
    connect(MenuClipEnable, &QAction::triggered, this, &MainForm::MenuClipEnable_Click);
    connect(MenuClipBeepEnable, &QAction::triggered, this, &MainForm::MenuClipBeepEnable_Click);
    connect(MenuClipBeepChangeFile, &QAction::triggered, this, &MainForm::MenuClipBeepChangeFile_Click);
}

void MainForm::StartClipMonitor()
{
    MonitorClipBoard::StartClipMonitor(hwnd_, [this] { ChangeClipBoard(); });
}

void MainForm::StopClipMonitor()
{
    MonitorClipBoard::StopClipMonitor();
}

void MainForm::ChangeClipBoard()
{
    ClipChangeServices changeServices;
    changeServices.readClipboard = services_.readClipboard;
    changeServices.playSound = services_.playSound;
    changeServices.refreshLists = [this] {
        LstGroupName_Click();
        LstItemName->setCurrentRow(0);
    };
    ClipBoardChanged(iniData, *clipHistory_, SelfCopyFlag, ListIndex(LstGroupName), changeServices);
}

// The check marks are toggled by the menu before these run: they hold the new state.
void MainForm::MenuClipEnable_Click()
{
    iniData.SetiniValue(QStringLiteral("ClipEnable"), MenuClipEnable->isChecked());
    MenuReloadItem_Click();
}

void MainForm::MenuClipBeepEnable_Click()
{
    iniData.SetiniValue(QStringLiteral("ClipBoardBeep"), MenuClipBeepEnable->isChecked());
}

void MainForm::MenuClipBeepChangeFile_Click()
{
    const QString current = iniData.GetiniValue(QStringLiteral("ClipBoardBeepWaveFileName"));
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("クリップボードクリック音の変更"), current,
                                                        QStringLiteral("クリップボードクリック音 (*.wav);;その他 (*)"));
    if (!chosen.isEmpty())
        iniData.SetiniValue(QStringLiteral("ClipBoardBeepWaveFileName"), chosen);
}
