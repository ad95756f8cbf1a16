#pragma once
// Reads a whole card file at once and hands out its fields, separated by U+0001.
#include <QByteArray>
#include <QString>
#include <QStringList>

class TextFastReadBinary
{
public:
    TextFastReadBinary();

    // Files this large cannot be a card file; refusing them keeps memory bounded. Every writer
    // of card files keeps to it, so that what is saved can be read again.
    static constexpr qint64 MaxFileSize = qint64(1) << 30;

    bool LoadTextFile(const QString &fileName);
    bool EOFText() const;
    QString InputLine();
    QStringList GetOneLine();
    // Passes over the next field without decoding it.
    void SkipLine();

    // A place between fields, to come back to later: a caller can walk the file twice
    // without holding its text.
    struct Bookmark {
        qsizetype next;
        qint32 position;
    };
    Bookmark bookmark() const { return {next_, position_}; }
    void rewind(const Bookmark &mark);

    // The bytes of the field InputLine handed out last, exactly as the file holds them.
    QByteArrayView LastFieldBytes() const { return QByteArrayView(bytes_).sliced(lastStart_, lastLength_); }
    // Whether the file began with a UTF-8 byte-order mark and was read as UTF-8.
    bool IsUtf8() const { return utf8_; }

private:
    void reset();
    QByteArrayView nextField();

    // The file's bytes stay as read; each field is decoded when it is handed out, so the
    // text of a large file is never held twice.
    QByteArray bytes_;
    qsizetype next_ = 0;  // where the field after position_ starts in bytes_
    qsizetype lastStart_ = 0, lastLength_ = 0;
    qint32 fieldCount_ = 1;
    qint32 position_ = -1;
    bool utf8_ = false;
};
