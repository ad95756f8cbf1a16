#include "calc/FullWidthFold.h"

QString FoldFullWidth(const QString &expression)
{
    QString out = expression;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            c = u' ';
        else if (u == 0x2212)
            c = u'-';
        else if (u == 0x00D7)
            c = u'*';
        else if (u == 0x00F7)
            c = u'/';
    }
    return out;
}
