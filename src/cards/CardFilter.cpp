#include "cards/CardFilter.h"

#include "cards/CardModel.h"

CardFilter::CardFilter(CardModel *cards, QObject *parent)
    : QSortFilterProxyModel(parent)
    , cards_(cards)
{
    setSourceModel(cards);
}

void CardFilter::setText(const QString &text)
{
    if (text == text_)
        return;
    text_ = text;
    kept_.clear();
    firstNewSerial_ = cards_->nextSerial();
    invalidateFilter();
}

void CardFilter::keep(quint32 serial)
{
    if (isActive())
        kept_.insert(serial);
}

bool CardFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (text_.isEmpty())
        return true;
    const Card &card = cards_->card(sourceRow);
    if (card.serial >= firstNewSerial_ || kept_.contains(card.serial))
        return true;
    return card.title.contains(text_, Qt::CaseInsensitive) || card.group.contains(text_, Qt::CaseInsensitive)
           || card.body.contains(text_, Qt::CaseInsensitive);
}

void CardFilter::reveal(quint32 serial)
{
    if (!isActive() || kept_.contains(serial))
        return;
    kept_.insert(serial);
    invalidateFilter();
}
