#include "app/MainForm.h"

#include "clipboard/ClipChange.h"
#include "clipboard/MonitorClipBoard.h"

#include <QAction>
#include <QFileDialog>
#include <QListWidget>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int StoreProblemDelayMs = 3000;
} // namespace

void MainForm::connectClipboardCommands()
{
    // The history stays in memory and is written once the disk takes it again; the user hears
    // of it once, not at every change.
    if (services_.userStore) {
        services_.userStore->setSaveFailedReport([self = QPointer<MainForm>(this)](const QString &problem) {
            showTrayMessage(self, QStringLiteral("クリップボード履歴を保存できませんでした。"
                                                 "履歴は保存できるようになりしだい保存します。\n")
                                      + problem);
        });
        // Mostly found while starting, before the tray host has placed the icon, where a
        // balloon would go unseen: it waits a moment.
        services_.userStore->setReadProblemReport([self = QPointer<MainForm>(this)](const QString &problem) {
            if (!self)
                return;
            QMetaObject::invokeMethod(self.data(), [self, problem] {
                QTimer::singleShot(StoreProblemDelayMs, self.data(), [self, problem] {
                    showTrayMessage(self, QStringLiteral("クリップボード履歴の保存場所に、使えないファイルがあります。\n")
                                              + problem);
                });
            });
        });
    }
    if (services_.setCopyOnlyReport) {
        services_.setCopyOnlyReport([self = QPointer<MainForm>(this)] {
            showTrayMessage(self, QStringLiteral("このウィンドウにはキーを送って貼り付けられないため、"
                                                 "テキストをクリップボードに置きました。貼り付けは手で行ってください。"));
        });
    }
    clipHistory_ = std::make_unique<ClipHistory>(iniData, services_.userStore ? *services_.userStore : memoryStore_,
                                                 MemoGroups);
    connect(MenuClipEnable, &QAction::triggered, this, &MainForm::MenuClipEnable_Click);
    connect(MenuClipBeepEnable, &QAction::triggered, this, &MainForm::MenuClipBeepEnable_Click);
    connect(MenuClipBeepChangeFile, &QAction::triggered, this, &MainForm::MenuClipBeepChangeFile_Click);
}

void MainForm::showTrayMessage(const QPointer<MainForm> &self, const QString &text)
{
    if (!self || !self->clstray || !self->clstray->mShowBalloon(self->windowTitle(), text))
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
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
        if (finding())
            return; // the item list holds hits, which the find refreshes itself
        LstGroupName_Click();
        LstItemName->setCurrentRow(0);
    };
    ClipBoardChanged(iniData, *clipHistory_, SelfCopyFlag, ListIndex(LstGroupName), changeServices);
    FindTableChanged(false);
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
