// Opening and saving card files, and the questions that keep the user's work safe.
#include "cards/CardsWindow.h"

#include "cards/CardModel.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTreeView>
#include <QUndoStack>

namespace {

const QStringList FileFilters = {QStringLiteral("カードファイル (*.vlw)"), QStringLiteral("すべてのファイル (*)")};

// Our own button texts, with access keys, whether or not Qt's Japanese catalogue is installed.
QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon, const QString &text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preferred)
{
    QMessageBox box(icon, QStringLiteral("QuillboxCards"), text, buttons, parent);
    const std::pair<QMessageBox::StandardButton, QString> names[] = {
        {QMessageBox::Yes, QStringLiteral("はい(&Y)")},         {QMessageBox::No, QStringLiteral("いいえ(&N)")},
        {QMessageBox::Save, QStringLiteral("保存する(&S)")},    {QMessageBox::Discard, QStringLiteral("保存しない(&D)")},
        {QMessageBox::Cancel, QStringLiteral("キャンセル")}, {QMessageBox::Ok, QStringLiteral("OK")}};
    for (const auto &name : names) {
        if (QAbstractButton *button = box.button(name.first))
            button->setText(name.second);
    }
    box.setDefaultButton(preferred);
    return QMessageBox::StandardButton(box.exec());
}

// A file its owner made read-only is kept from changes on purpose: replaced only when asked to.
bool mayReplaceReadOnly(QWidget *parent, const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.permission(QFileDevice::WriteOwner))
        return true;
    return ask(parent, QMessageBox::Question, QStringLiteral("%1\nは読み取り専用です。置き換えて保存しますか?").arg(path),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

} // namespace

bool CardsWindow::openFile(const QString &path)
{
    CardFileContents contents;
    QString error;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const CardFile::Opened opened = CardFile::load(absolute, &contents, &error);
    if (opened == CardFile::Opened::Unreadable) {
        ask(this, QMessageBox::Warning, QStringLiteral("カードファイルを読み込めませんでした。\n%1\n%2").arg(absolute, error),
            QMessageBox::Ok, QMessageBox::Ok);
        return false;
    }
    filterEdit_->clear();
    filterEdit_->hide();
    path_ = absolute;
    model_->setContents(std::move(contents));
    undo_->clear();
    rememberFileTime();
    updateTitle();
    list_->setFocus();
    return true;
}

void CardsWindow::openWithDialog()
{
    if (!maybeSave())
        return;
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("カードファイルを開く"),
                                                      QFileInfo(path_).absolutePath(), FileFilters.join(QStringLiteral(";;")));
    if (!path.isEmpty())
        openFile(path);
}

bool CardsWindow::save()
{
    return path_.isEmpty() ? saveAs() : saveTo(path_);
}

bool CardsWindow::saveAs()
{
    QFileDialog dialog(this, QStringLiteral("名前を付けて保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(FileFilters);
    dialog.setDefaultSuffix(QStringLiteral("vlw"));
    if (!path_.isEmpty())
        dialog.selectFile(path_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    return saveTo(dialog.selectedFiles().first());
}

bool CardsWindow::saveTo(const QString &path)
{
    // Someone else's save in the meantime would be lost without a word.
    const QFileInfo onDisk(path);
    if (path == path_ && onDisk.exists() && fileTime_.isValid() && onDisk.lastModified() != fileTime_
        && ask(this, QMessageBox::Question,
               QStringLiteral("%1\nは開いた後に他のプログラムで変更されています。上書きしますか?").arg(path),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return false;
    if (!mayReplaceReadOnly(this, path))
        return false;

    if (!settleEncoding())
        return false;

    QString error;
    if (!CardFile::save(path, model_->contents(), &error)) {
        ask(this, QMessageBox::Critical,
            QStringLiteral("保存できませんでした。元のファイルはそのままです。\n%1\n%2").arg(path, error), QMessageBox::Ok,
            QMessageBox::Ok);
        return false;
    }
    path_ = QFileInfo(path).absoluteFilePath();
    rememberFileTime();
    undo_->setClean();
    updateTitle();
    return true;
}

bool CardsWindow::maybeSave()
{
    if (undo_->isClean())
        return true;
    const QString name = path_.isEmpty() ? QStringLiteral("新規") : QFileInfo(path_).fileName();
    const auto answer = ask(this, QMessageBox::Question, QStringLiteral("「%1」への変更を保存しますか?").arg(name),
                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return save();
    return answer == QMessageBox::Discard;
}

void CardsWindow::rememberFileTime()
{
    const QFileInfo info(path_);
    fileTime_ = info.exists() ? info.lastModified() : QDateTime();
}

void CardsWindow::updateTitle()
{
    const QString name = path_.isEmpty() ? QStringLiteral("新規") : QFileInfo(path_).fileName();
    setWindowTitle(name + QStringLiteral("[*] - QuillboxCards"));
    setWindowModified(!undo_->isClean());
}

void CardsWindow::closeEvent(QCloseEvent *event)
{
    if (maybeSave())
        event->accept();
    else
        event->ignore();
}
