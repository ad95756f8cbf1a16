#pragma once
// The list's filter: cards whose title, group or body holds a text, letter case ignored.
// Cards added or edited while a filter is on stay in the list until the filter changes,
// so the card being worked on never vanishes under the user's hands.
#include <QSet>
#include <QSortFilterProxyModel>

class CardModel;

class CardFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit CardFilter(CardModel *cards, QObject *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return text_; }
    bool isActive() const { return !text_.isEmpty(); }
    // Keeps a card in the list while the current filter lasts.
    void keep(quint32 serial);
    // Keeps a card that the filter hides and shows it at once.
    void reveal(quint32 serial);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    CardModel *cards_;
    QString text_;
    QSet<quint32> kept_;
    quint32 firstNewSerial_ = 0; // cards from this serial on were made after the filter was set
};
