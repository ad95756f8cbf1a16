// The encoding a card file is saved in: shown in the status bar, chosen from a menu, and the
// question before a save in code page 932 that would lose characters.
#include "cards/CardsWindow.h"

#include "cards/CardCommands.h"
#include "cards/CardModel.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCursor>
#include <QToolButton>
#include <QUndoStack>

namespace {

QString encodingName(CardEncoding encoding)
{
    return encoding == CardEncoding::Utf8 ? QStringLiteral("UTF-8 (BOM付き)") : QStringLiteral("Shift_JIS");
}

QString fieldName(CardField field)
{
    switch (field) {
    case CardField::Title:
        return QStringLiteral("タイトル");
    case CardField::Group:
        return QStringLiteral("グループ");
    case CardField::Body:
        break;
    }
    return QStringLiteral("本文");
}

QString codePoint(const QString &character)
{
    return QStringLiteral("U+%1").arg(QString::number(character.toUcs4().value(0), 16).toUpper(), 4, QLatin1Char('0'));
}

} // namespace

void CardsWindow::buildEncodingControls(QMenu *file)
{
    QMenu *menu = file->addMenu(QStringLiteral("文字コード(&E)"));
    auto *group = new QActionGroup(this);
    for (CardEncoding encoding : {CardEncoding::Cp932, CardEncoding::Utf8}) {
        QAction *choice = menu->addAction(encodingName(encoding));
        choice->setCheckable(true);
        choice->setData(int(encoding));
        group->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, encoding] { chooseEncoding(encoding); });
    }

    encodingButton_ = new QToolButton;
    encodingButton_->setAutoRaise(true);
    encodingButton_->setPopupMode(QToolButton::InstantPopup);
    encodingButton_->setMenu(menu);
    encodingButton_->setAccessibleName(QStringLiteral("文字コード"));
    encodingButton_->setToolTip(QStringLiteral("保存する文字コード"));
    statusBar()->addPermanentWidget(encodingButton_);
    connect(model_, &CardModel::encodingChanged, this, &CardsWindow::showEncoding);
    showEncoding();
}

void CardsWindow::showEncoding()
{
    const CardEncoding encoding = model_->contents().encoding;
    encodingButton_->setText(encodingName(encoding));
    for (QAction *choice : encodingButton_->menu()->actions())
        choice->setChecked(choice->data().toInt() == int(encoding));
}

// A step of the file's history: the window shows a change, and undo goes back.
void CardsWindow::chooseEncoding(CardEncoding encoding)
{
    if (model_->contents().encoding != encoding)
        undo_->push(new SetEncodingCommand(model_, encoding));
}

bool CardsWindow::settleEncoding()
{
    if (model_->contents().encoding != CardEncoding::Cp932)
        return true;
    constexpr int Named = 5;
    const UnencodableList found = CardFile::findUnencodable(model_->contents().cards, Named);
    if (found.count == 0)
        return true;

    QStringList lines;
    for (const Unencodable &u : found.first) {
        QString title = model_->card(u.card).title.section(QLatin1Char('\r'), 0, 0);
        if (title.size() > 30)
            title = title.left(30) + QStringLiteral("…");
        lines << QStringLiteral("・%1 枚目のカード「%2」の%3: 「%4」(%5)")
                     .arg(u.card + 1)
                     .arg(title, fieldName(u.field), u.character, codePoint(u.character));
    }
    if (found.count > found.first.size())
        lines << QStringLiteral("・ほか %1 文字").arg(found.count - found.first.size());
    const QString text = QStringLiteral("Shift_JIS (コードページ932) で保存できない文字が %1 文字あります。\n%2\n\n"
                                        "ファイル全体を UTF-8 (BOM付き) で保存しますか?\n"
                                        "キャンセルすると保存せず、最初の文字を選択します。")
                             .arg(found.count)
                             .arg(lines.join(QLatin1Char('\n')));
    QMessageBox box(QMessageBox::Question, QStringLiteral("QuillboxCards"), text, QMessageBox::Save | QMessageBox::Cancel, this);
    box.button(QMessageBox::Save)->setText(QStringLiteral("UTF-8 (BOM付き) で保存(&U)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Save);
    if (box.exec() != QMessageBox::Save) {
        selectCharacter(found.first.first());
        return false;
    }
    chooseEncoding(CardEncoding::Utf8);
    return true;
}

void CardsWindow::selectCharacter(const Unencodable &character)
{
    selectRow(character.card);
    const int length = int(character.character.size());
    switch (character.field) {
    case CardField::Title:
        titleEdit_->setFocus(Qt::OtherFocusReason);
        titleEdit_->setSelection(int(character.at), length);
        break;
    case CardField::Group:
        groupEdit_->setFocus(Qt::OtherFocusReason);
        groupEdit_->lineEdit()->setSelection(int(character.at), length);
        break;
    case CardField::Body: {
        // The field shows each CR LF of the card as one line break.
        const QString &body = model_->card(character.card).body;
        const int at = int(character.at - QStringView(body).left(character.at).count(u"\r\n"));
        QTextCursor cursor(bodyEdit_->document());
        cursor.setPosition(at);
        cursor.setPosition(at + length, QTextCursor::KeepAnchor);
        bodyEdit_->setTextCursor(cursor);
        bodyEdit_->setFocus(Qt::OtherFocusReason);
        break;
    }
    }
}
