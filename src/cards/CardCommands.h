#pragma once
// The changes a user makes to the cards, as steps of one undo history. Each step keeps the
// card as it was, so undoing brings back the very bytes the card was read with.
#include "cards/CardModel.h"

#include <QUndoCommand>

// Typing into one field; consecutive typing in the same field of the same card is one step.
class EditFieldCommand : public QUndoCommand
{
public:
    EditFieldCommand(CardModel *model, int row, CardField field, const QString &text);
    void redo() override;
    void undo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override;

private:
    CardModel *model_;
    int row_;
    CardField field_;
    Card before_;
    QString text_;
    bool first_ = true;
};

// Adding a card (a new one or a copy) at a row.
class InsertCardCommand : public QUndoCommand
{
public:
    InsertCardCommand(CardModel *model, int row, const Card &card, const QString &name);
    void redo() override;
    void undo() override;

private:
    CardModel *model_;
    int row_;
    Card card_;
};

class RemoveCardCommand : public QUndoCommand
{
public:
    RemoveCardCommand(CardModel *model, int row);
    void redo() override;
    void undo() override;

private:
    CardModel *model_;
    int row_;
    Card card_;
};

class MoveCardCommand : public QUndoCommand
{
public:
    MoveCardCommand(CardModel *model, int from, int to);
    void redo() override;
    void undo() override;

private:
    CardModel *model_;
    int from_, to_;
};

// Choosing the encoding the file is saved in. Undoing gives the cards back the bytes they
// were read with.
class SetEncodingCommand : public QUndoCommand
{
public:
    SetEncodingCommand(CardModel *model, CardEncoding encoding);
    void redo() override;
    void undo() override;

private:
    CardModel *model_;
    CardEncoding encoding_, before_;
    QVector<QByteArray> stored_;
};
