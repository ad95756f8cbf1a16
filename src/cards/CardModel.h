#pragma once
// The cards of the open file as a two-column list (title, group), and the only way they
// change: every edit goes through here, so the list, the group names and the fields agree.
#include "cards/CardFile.h"

#include <QAbstractTableModel>
#include <QHash>

class CardModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CardModel(QObject *parent = nullptr);

    void setContents(CardFileContents contents);
    const CardFileContents &contents() const { return contents_; }
    // Switches the encoding the file is saved in; no card keeps its bytes as read.
    void setEncoding(CardEncoding encoding);
    // The bytes each card was read with, to give back to them with restoreEncoding.
    QVector<QByteArray> storedBytes() const;
    void restoreEncoding(CardEncoding encoding, const QVector<QByteArray> &stored);

    int count() const { return int(contents_.cards.size()); }
    const Card &card(int row) const { return contents_.cards[row]; }

    void insertCard(int row, Card card); // a card without a serial gets a new one
    Card takeCard(int row);
    void moveCard(int from, int to);
    void setField(int row, CardField field, const QString &text);
    // Puts a card back as it was, the bytes it was read with included.
    void restoreCard(int row, const Card &card);

    // Group names in use, sorted; the empty name is left out.
    QStringList groups() const;
    quint32 nextSerial() const { return nextSerial_; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void touch(int row) { Q_EMIT cardTouched(row); }

Q_SIGNALS:
    void fieldChanged(int row, CardField field);
    // A group name came into use or went out of use.
    void groupsChanged();
    // An undo or redo touched this card: it should be the one shown.
    void cardTouched(int row);
    void encodingChanged();

private:
    void countGroup(const QString &group, int delta);

    CardFileContents contents_;
    QHash<QString, int> groupUse_;
    quint32 nextSerial_ = 1;
};
