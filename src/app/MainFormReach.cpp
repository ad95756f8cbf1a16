// Reaching the main window where the desktop has no notification area: a second start hands
// over to this copy, and the user is told once how the lists come back.
#include "app/MainForm.h"

#include "app/CommandLine.h"
#include "util/Tool.h"
#include "winmsg/TrayIconService.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

namespace {

const QString kHintShownKey = QStringLiteral("NoTrayHintShown");
// A tray host started with the session may come up a little after us.
constexpr int TrayWaitMs = 5000;
constexpr int TrayPollMs = 500;

bool sameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    if (!canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath())
        return true;
    return Tool::GetLongPath(a) == Tool::GetLongPath(b);
}

} // namespace

bool MainForm::namedLikeProgram(const QString &path) const
{
    return Tool::GetBaseName(path).compare(paths_.exeBaseName, Qt::CaseInsensitive) == 0;
}

bool MainForm::CanTakeOverStart(const QString &commandLine, QString *message) const
{
    if (exitRequested_) {
        *message = QStringLiteral("Quillbox is ending; start it again once it has ended.");
        return false;
    }
    const QString ini = CommandLineFile(commandLine, QStringLiteral("ini"));
    if (!ini.isEmpty() && !sameFile(ini, settingsFile_)) {
        *message = QStringLiteral("Quillbox is already running and uses its own settings file %1; %2 is not used.")
                       .arg(settingsFile_, ini);
        return false;
    }
    const QString memo = CommandLineFile(commandLine, QStringLiteral("vlw"));
    if (!memo.isEmpty() && !Tool::CanOpenFile(memo)) {
        *message = QStringLiteral("Quillbox cannot open the card file %1.").arg(memo);
        return false;
    }
    if (!memo.isEmpty() && namedLikeProgram(memo)) {
        *message = QStringLiteral("%1: a card file named like the program cannot be used.").arg(memo);
        return false;
    }
    return true;
}

void MainForm::TakeOverStart(const QString &commandLine)
{
    if (exitRequested_)
        return;
    const QString memo = CommandLineFile(commandLine, QStringLiteral("vlw"));
    if (!memo.isEmpty() && !SwitchMemoFile(Tool::GetLongPath(memo)))
        return;
    clsHotKey_HotKey(QStringLiteral("PopUp"));
}

void MainForm::watchForTrayArea()
{
    if (!services_.tray || services_.tray->isAreaAvailable()
        || iniMente::TruthValue(iniData.GetiniValue(kHintShownKey)).value_or(false))
        return;
    trayHintPending_ = true;
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll, checksLeft = TrayWaitMs / TrayPollMs]() mutable {
        const bool tray = services_.tray->isAreaAvailable();
        if (!tray && --checksLeft > 0)
            return;
        poll->deleteLater();
        if (tray)
            trayHintPending_ = false; // the icon docks there by itself
        else
            showNoTrayHint();
    });
    poll->start(TrayPollMs);
}

void MainForm::showNoTrayHint()
{
    auto *box = new QMessageBox(
        QMessageBox::Information, QCoreApplication::applicationName(),
        QStringLiteral("このデスクトップには通知領域(システムトレイ)がないため、Quillbox のアイコンは表示されません。\n"
                       "ウィンドウを閉じても Quillbox は動き続けます。一覧は次の方法で再び表示できます。\n"
                       "・ホットキー PopUp(既定では Alt+Delete)\n"
                       "・Quillbox をもう一度起動する(端末から、またはアプリケーションメニューから)\n"
                       "終了するには、一覧の右クリックメニューから「終了」を選んでください。"),
        QMessageBox::Ok, this);
    box->setAccessibleName(QStringLiteral("通知領域がないときの案内"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal); // the lists stay usable while it is open
    connect(box, &QDialog::finished, this, [this] { trayHintPending_ = false; });
    box->show();
    iniData.SetiniValue(kHintShownKey, true);
}

void MainForm::hideUnlessUnreachable()
{
    if (!trayHintPending_)
        hide();
}
