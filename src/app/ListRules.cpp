#include "app/ListRules.h"

#include <limits>

QString ListLabel(int index, const QString &name)
{
    if (index >= 0 && index < 26)
        return QChar(u'A' + index) + QStringLiteral(" :") + name;
    return name;
}

int LetterIndex(QChar key)
{
    const char16_t c = key.unicode();
    if (c >= u'a' && c <= u'z')
        return c - u'a';
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    return -1;
}

qint64 LeadingNumber(const QString &text)
{
    // Like the old runtime's Val(): leading blanks skipped, an optional sign, then digits.
    int i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            break;
        value = value * 10 + (text[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

QString ReplacePlaceholder(const QString &text, const QString &replacement)
{
    QString result;
    result.reserve(text.size());
    int from = 0;
    for (int at = text.indexOf(QStringLiteral("%1")); at >= 0; at = text.indexOf(QStringLiteral("%1"), from)) {
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + 2;
    }
    result += QStringView(text).mid(from);
    return result;
}
