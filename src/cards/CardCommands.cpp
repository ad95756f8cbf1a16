#include "cards/CardCommands.h"

EditFieldCommand::EditFieldCommand(CardModel *model, int row, CardField field, const QString &text)
    : QUndoCommand(QStringLiteral("入力"))
    , model_(model)
    , row_(row)
    , field_(field)
    , before_(model->card(row))
    , text_(text)
{
}

void EditFieldCommand::redo()
{
    model_->setField(row_, field_, text_);
    // Pushing applies the step while the user types; only a redo moves the view.
    if (!first_)
        model_->touch(row_);
    first_ = false;
}

void EditFieldCommand::undo()
{
    model_->restoreCard(row_, before_);
    model_->touch(row_);
}

bool EditFieldCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const EditFieldCommand *>(other);
    if (next->model_ != model_ || next->row_ != row_ || next->field_ != field_)
        return false;
    text_ = next->text_;
    return true;
}

InsertCardCommand::InsertCardCommand(CardModel *model, int row, const Card &card, const QString &name)
    : QUndoCommand(name)
    , model_(model)
    , row_(row)
    , card_(card)
{
}

void InsertCardCommand::redo()
{
    model_->insertCard(row_, card_);
    card_ = model_->card(row_); // keeps the serial it was given, for the next redo
    model_->touch(row_);
}

void InsertCardCommand::undo()
{
    model_->takeCard(row_);
    model_->touch(qMin(row_, model_->count() - 1));
}

RemoveCardCommand::RemoveCardCommand(CardModel *model, int row)
    : QUndoCommand(QStringLiteral("削除"))
    , model_(model)
    , row_(row)
{
}

void RemoveCardCommand::redo()
{
    card_ = model_->takeCard(row_);
    model_->touch(qMin(row_, model_->count() - 1));
}

void RemoveCardCommand::undo()
{
    model_->insertCard(row_, card_);
    model_->touch(row_);
}

MoveCardCommand::MoveCardCommand(CardModel *model, int from, int to)
    : QUndoCommand(QStringLiteral("移動"))
    , model_(model)
    , from_(from)
    , to_(to)
{
}

void MoveCardCommand::redo()
{
    model_->moveCard(from_, to_);
    model_->touch(to_);
}

void MoveCardCommand::undo()
{
    model_->moveCard(to_, from_);
    model_->touch(from_);
}

SetEncodingCommand::SetEncodingCommand(CardModel *model, CardEncoding encoding)
    : QUndoCommand(QStringLiteral("文字コード"))
    , model_(model)
    , encoding_(encoding)
    , before_(model->contents().encoding)
    , stored_(model->storedBytes())
{
}

void SetEncodingCommand::redo()
{
    model_->setEncoding(encoding_);
}

void SetEncodingCommand::undo()
{
    model_->restoreEncoding(before_, stored_);
}
