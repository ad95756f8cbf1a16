#pragma once
// A card file as the editor holds it: the cards in file order and the encoding they are
// saved in. Reading goes through the reader Quillbox uses, so both see the same cards.
#include "memo/TextFastReadBinary.h"

#include <QByteArray>
#include <QString>
#include <QVector>

enum class CardField { Title, Group, Body };

struct Card {
    QString title, group, body;
    // The card's bytes exactly as read, its three separators included. Written back as they
    // are while the card is unchanged, so characters with two codes in code page 932 and
    // bytes that were not valid text survive a save. Empty once the card is edited.
    QByteArray stored;
    quint32 serial = 0; // given by the card list; tells cards apart while indexes shift

    QString field(CardField f) const;
    void setField(CardField f, const QString &text);
};

enum class CardEncoding {
    Cp932,
    Utf8, // with a byte-order mark, which Quillbox reads as UTF-8
};

struct CardFileContents {
    QVector<Card> cards;
    CardEncoding encoding = CardEncoding::Cp932;
};

// A character of a card that code page 932 cannot hold.
struct Unencodable {
    int card = -1;
    CardField field = CardField::Title;
    qsizetype at = 0;  // where it stands in the field's text
    QString character; // one character, a surrogate pair included
};

// The first few such characters in file order, and how many there are in all.
struct UnencodableList {
    QVector<Unencodable> first;
    qsizetype count = 0;
};

namespace CardFile {

enum class Opened {
    Read,
    Missing,    // nothing there yet: the first save creates it
    Unreadable, // there, but not a card file we can read; never to be overwritten unasked
};

Opened load(const QString &path, CardFileContents *contents, QString *error);
// Every card followed by its three separators, in the contents' encoding.
QByteArray serialize(const CardFileContents &contents);
// Cards still holding the bytes they were read with are written back as they were: not counted.
UnencodableList findUnencodable(const QVector<Card> &cards, int keep);
// Written atomically: on failure the old file is whole and *error says why. Contents larger
// than maxSize (what the readers accept) are refused, as nobody could open them again.
bool save(const QString &path, const CardFileContents &contents, QString *error,
          qint64 maxSize = TextFastReadBinary::MaxFileSize);

} // namespace CardFile
