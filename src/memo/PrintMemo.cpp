#include "memo/PrintMemo.h"

#include "memo/MemoTable.h"
#include "memo/TextFastReadBinary.h"

#include <QByteArray>
#include <QHash>

namespace {

// JSON written straight to a stream as the table is walked: the output of a card file near
// the size limit is never built in memory.
class JsonStream
{
public:
    explicit JsonStream(std::FILE *out) : out_(out) {}
    ~JsonStream() { flush(); }

    void raw(const char *text)
    {
        buffer_.append(text);
        flushIfFull();
    }

    void string(const QString &text)
    {
        buffer_.append('"');
        // In pieces, so that a long text is never held a second time whole.
        constexpr qsizetype Piece = 64 * 1024;
        for (qsizetype at = 0; at < text.size();) {
            qsizetype n = qMin(Piece, text.size() - at);
            if (at + n < text.size() && text.at(at + n - 1).isHighSurrogate())
                --n; // keep a surrogate pair together
            escape(QStringView(text).sliced(at, n).toUtf8());
            at += n;
        }
        buffer_.append('"');
        flushIfFull();
    }

    bool flush()
    {
        const bool ok = std::fwrite(buffer_.constData(), 1, size_t(buffer_.size()), out_) == size_t(buffer_.size());
        buffer_.clear();
        ok_ = ok_ && ok;
        return ok_;
    }

private:
    void escape(const QByteArray &utf8)
    {
        for (const char c : utf8) {
            switch (c) {
            case '"': buffer_.append("\\\""); break;
            case '\\': buffer_.append("\\\\"); break;
            case '\n': buffer_.append("\\n"); break;
            case '\r': buffer_.append("\\r"); break;
            case '\t': buffer_.append("\\t"); break;
            default:
                if (uchar(c) < 0x20) {
                    char code[8];
                    std::snprintf(code, sizeof code, "\\u%04x", unsigned(uchar(c)));
                    buffer_.append(code);
                } else {
                    buffer_.append(c);
                }
            }
        }
        flushIfFull();
    }

    void flushIfFull()
    {
        if (buffer_.size() >= 256 * 1024)
            flush();
    }

    std::FILE *out_;
    QByteArray buffer_;
    bool ok_ = true;
};

} // namespace

int PrintMemo(const QString &memoFile, std::FILE *out, std::FILE *err)
{
    // The table of ReadMemoFile with the history off, without holding its texts: a first walk
    // notes where each group's cards start, the second decodes them while printing. Memory
    // stays near the file's size plus a few bytes per card.
    TextFastReadBinary reader;
    if (!reader.LoadTextFile(memoFile)) {
        // The program would show one empty card here; a script is better told.
        std::fprintf(err, "error: %s cannot be read as a card file (missing, not a regular file, or too large)\n",
                     qUtf8Printable(memoFile));
        return 1;
    }
    QHash<QString, int> position;
    QStringList groupNames;
    QList<QList<TextFastReadBinary::Bookmark>> cards;
    bool groupLimitReached = false;
    while (!reader.EOFText()) {
        const TextFastReadBinary::Bookmark card = reader.bookmark();
        QString title = reader.InputLine();
        const QString groupField = reader.InputLine();
        reader.SkipLine();
        const QString groupName = PlaceCard(std::move(title), groupField).groupName;
        auto known = position.constFind(groupName);
        int g = known == position.constEnd() ? -1 : *known;
        if (g < 0) {
            if (groupNames.size() >= MaxMemoGroups) {
                groupLimitReached = true;
                continue;
            }
            g = int(groupNames.size());
            position.insert(groupName, g);
            groupNames.append(groupName);
            cards.append(QList<TextFastReadBinary::Bookmark>());
        }
        cards[g].append(card);
    }
    position.clear();
    if (groupLimitReached)
        std::fprintf(err, "warning: %s needs more than %d groups; cards of further groups were left out\n",
                     qUtf8Printable(memoFile), MaxMemoGroups);

    bool ok;
    {
        JsonStream json(out);
        json.raw("[");
        for (qsizetype g = 0; g < groupNames.size(); ++g) {
            json.raw(g ? ",\n    {\n        \"name\": " : "\n    {\n        \"name\": ");
            json.string(groupNames[g]);
            json.raw(",\n        \"items\": [");
            for (qsizetype i = 0; i < cards[g].size(); ++i) {
                reader.rewind(cards[g][i]);
                QString title = reader.InputLine();
                const QString groupField = reader.InputLine();
                json.raw(i ? ",\n            {\n                \"name\": " : "\n            {\n                \"name\": ");
                json.string(PlaceCard(std::move(title), groupField).itemName);
                json.raw(",\n                \"text\": ");
                json.string(reader.InputLine());
                json.raw("\n            }");
            }
            json.raw(cards[g].isEmpty() ? "]\n    }" : "\n        ]\n    }");
        }
        json.raw(groupNames.isEmpty() ? "]\n" : "\n]\n");
        ok = json.flush();
    }
    return ok && std::fflush(out) == 0 ? 0 : 1;
}
