#include "cards/CardModel.h"

#include <algorithm>

CardModel::CardModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void CardModel::setContents(CardFileContents contents)
{
    beginResetModel();
    contents_ = std::move(contents);
    groupUse_.clear();
    for (Card &card : contents_.cards) {
        card.serial = nextSerial_++;
        ++groupUse_[card.group];
    }
    endResetModel();
    Q_EMIT groupsChanged();
    Q_EMIT encodingChanged();
}

void CardModel::setEncoding(CardEncoding encoding)
{
    contents_.encoding = encoding;
    for (Card &card : contents_.cards)
        card.stored.clear();
    Q_EMIT encodingChanged();
}

QVector<QByteArray> CardModel::storedBytes() const
{
    QVector<QByteArray> bytes;
    bytes.reserve(contents_.cards.size());
    for (const Card &card : contents_.cards)
        bytes.append(card.stored);
    return bytes;
}

void CardModel::restoreEncoding(CardEncoding encoding, const QVector<QByteArray> &stored)
{
    contents_.encoding = encoding;
    for (qsizetype i = 0; i < contents_.cards.size() && i < stored.size(); ++i)
        contents_.cards[i].stored = stored[i];
    Q_EMIT encodingChanged();
}

void CardModel::insertCard(int row, Card card)
{
    if (card.serial == 0)
        card.serial = nextSerial_++;
    beginInsertRows(QModelIndex(), row, row);
    countGroup(card.group, +1);
    contents_.cards.insert(row, std::move(card));
    endInsertRows();
}

Card CardModel::takeCard(int row)
{
    beginRemoveRows(QModelIndex(), row, row);
    Card card = contents_.cards.takeAt(row);
    countGroup(card.group, -1);
    endRemoveRows();
    return card;
}

void CardModel::moveCard(int from, int to)
{
    if (from == to)
        return;
    // The view's notion of "before which row" is one past the target when moving down.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    contents_.cards.move(from, to);
    endMoveRows();
}

void CardModel::setField(int row, CardField field, const QString &text)
{
    Card &card = contents_.cards[row];
    if (field == CardField::Group) {
        countGroup(card.group, -1);
        countGroup(text, +1);
    }
    card.setField(field, text);
    if (field != CardField::Body)
        Q_EMIT dataChanged(index(row, 0), index(row, 1));
    Q_EMIT fieldChanged(row, field);
}

void CardModel::restoreCard(int row, const Card &card)
{
    Card &current = contents_.cards[row];
    countGroup(current.group, -1);
    countGroup(card.group, +1);
    current = card;
    Q_EMIT dataChanged(index(row, 0), index(row, 1));
    for (CardField field : {CardField::Title, CardField::Group, CardField::Body})
        Q_EMIT fieldChanged(row, field);
}

QStringList CardModel::groups() const
{
    QStringList names;
    names.reserve(groupUse_.size());
    for (auto it = groupUse_.cbegin(); it != groupUse_.cend(); ++it) {
        if (!it.key().isEmpty())
            names.append(it.key());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void CardModel::countGroup(const QString &group, int delta)
{
    int &uses = groupUse_[group];
    uses += delta;
    if (uses == 0) {
        groupUse_.remove(group);
        Q_EMIT groupsChanged();
    } else if (delta > 0 && uses == delta) {
        Q_EMIT groupsChanged();
    }
}

int CardModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int CardModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant CardModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    const Card &c = contents_.cards[index.row()];
    QString text = index.column() == 0 ? c.title : c.group;
    // A list row is one line; the field itself keeps its breaks.
    if (role == Qt::DisplayRole)
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return text;
}

QVariant CardModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    return section == 0 ? QStringLiteral("タイトル") : QStringLiteral("グループ");
}
