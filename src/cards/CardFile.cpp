#include "cards/CardFile.h"

#include "memo/TextFastReadBinary.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/HeapTuning.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr char Separator = '\x01';
const QByteArray Utf8Mark("\xEF\xBB\xBF");

QByteArray encodeField(const QString &text, CardEncoding encoding)
{
    return encoding == CardEncoding::Utf8 ? text.toUtf8() : Cp932::encode(text);
}

// Why a file that is there cannot be read, in the system's words where it has them.
QString unreadableReason(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("フォルダです。");
    if (!info.isFile())
        return QStringLiteral("通常のファイルではありません。");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    return QStringLiteral("大きすぎるか、読み込み中にエラーが発生しました。");
}

bool fitsReaders(const QByteArray &bytes, qint64 maxSize, QString *error)
{
    if (bytes.size() <= maxSize)
        return true;
    if (error)
        *error = QStringLiteral("保存すると %1 バイトになり、読み込める大きさの上限 (%2 バイト) を超えます。カードを減らしてください。")
                     .arg(bytes.size())
                     .arg(maxSize);
    return false;
}

} // namespace

QString Card::field(CardField f) const
{
    switch (f) {
    case CardField::Title:
        return title;
    case CardField::Group:
        return group;
    case CardField::Body:
        break;
    }
    return body;
}

void Card::setField(CardField f, const QString &text)
{
    (f == CardField::Title ? title : f == CardField::Group ? group : body) = text;
    stored.clear();
}

namespace CardFile {

Opened load(const QString &path, CardFileContents *contents, QString *error)
{
    *contents = CardFileContents();
    const QFileInfo info(path);
    if (!info.exists()) // a dangling link too: the save creates its target
        return Opened::Missing;
    // A named pipe or a device would block the reader or never end.
    TextFastReadBinary reader;
    if (!info.isFile() || !reader.LoadTextFile(path)) {
        if (error)
            *error = unreadableReason(path);
        return Opened::Unreadable;
    }

    contents->encoding = reader.IsUtf8() ? CardEncoding::Utf8 : CardEncoding::Cp932;
    const LargeHeapWork largeWork; // millions of small strings: grow the heap in large steps
    while (!reader.EOFText()) {
        Card card;
        QString *fields[] = {&card.title, &card.group, &card.body};
        const char *begin = nullptr;
        const char *end = nullptr;
        int read = 0;
        for (QString *field : fields) {
            if (reader.EOFText())
                break;
            *field = reader.InputLine();
            const QByteArrayView bytes = reader.LastFieldBytes();
            if (!begin)
                begin = bytes.data();
            end = bytes.data() + bytes.size();
            ++read;
        }
        // Fields follow one another in the reader's buffer, so the card is one slice of it;
        // the last card of a file may lack separators, which the save adds.
        card.stored = QByteArray(begin, end - begin) + QByteArray(4 - read, Separator);
        contents->cards.append(std::move(card));
    }
    return Opened::Read;
}

QByteArray serialize(const CardFileContents &contents)
{
    const bool utf8 = contents.encoding == CardEncoding::Utf8;
    qsizetype size = utf8 ? Utf8Mark.size() : 0;
    for (const Card &card : contents.cards)
        size += card.stored.isEmpty() ? 3 * (card.title.size() + card.group.size() + card.body.size() + 1) : card.stored.size();
    QByteArray out;
    out.reserve(size);
    if (utf8)
        out += Utf8Mark;
    for (const Card &card : contents.cards) {
        if (!card.stored.isEmpty()) {
            out += card.stored;
            continue;
        }
        for (const QString *field : {&card.title, &card.group, &card.body}) {
            out += encodeField(*field, contents.encoding);
            out += Separator;
        }
    }
    return out;
}

UnencodableList findUnencodable(const QVector<Card> &cards, int keep)
{
    UnencodableList found;
    for (int i = 0; i < cards.size(); ++i) {
        const Card &card = cards[i];
        if (!card.stored.isEmpty())
            continue; // as read, so it can be written back as it was
        for (CardField f : {CardField::Title, CardField::Group, CardField::Body}) {
            const QString text = card.field(f);
            if (Cp932::canEncode(text))
                continue;
            for (qsizetype at = 0; at < text.size(); ++at) {
                const qsizetype length = text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
                const QStringView character = QStringView(text).mid(at, length);
                if (!Cp932::canEncode(character)) {
                    if (found.first.size() < keep)
                        found.first.append(Unencodable{i, f, at, character.toString()});
                    ++found.count;
                }
                at += length - 1;
            }
        }
    }
    return found;
}

bool save(const QString &path, const CardFileContents &contents, QString *error, qint64 maxSize)
{
    const QByteArray bytes = serialize(contents);
    if (!fitsReaders(bytes, maxSize, error))
        return false;
    return AtomicFile::write(path, bytes, error);
}

} // namespace CardFile
