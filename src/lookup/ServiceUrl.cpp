#include "lookup/ServiceUrl.h"

#include "platform/Cp932.h"

QString ServiceUrlEncode(const QString &keyword)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = Cp932::encode(keyword);
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            out += QLatin1Char(char(b));
        } else if (b == ' ') {
            out += QLatin1Char('+');
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(hex[b >> 4]);
            out += QLatin1Char(hex[b & 0xF]);
        }
    }
    return out;
}

bool IsWebAddress(const QUrl &address)
{
    const QString scheme = address.scheme().toLower();
    return address.isValid() && (scheme == u"http" || scheme == u"https") && !address.host().isEmpty();
}

QVector<DicService> ReadDicServices(const SettingReader &read)
{
    QVector<DicService> services;
    for (int n = 1;; ++n) {
        const QString number = QString::number(n);
        const QString url = read(QStringLiteral("DicURL") + number);
        if (url.isEmpty())
            return services;
        services.append({read(QStringLiteral("DicName") + number), url});
    }
}

int CountWebSearchEngines(const SettingReader &read)
{
    int n = 0;
    while (!read(QStringLiteral("WebSearchURL") + QString::number(n + 1)).isEmpty())
        ++n;
    return n;
}

QString StripBlanks(const QString &text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from);
}
