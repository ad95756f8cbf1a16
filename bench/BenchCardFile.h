#pragma once
// The card file the benchmarks load: a dated title, one of 5,000 group names and a two-line
// Japanese body per card, about 100 bytes each in code page 932.
#include "platform/Cp932.h"

#include <QByteArray>
#include <QString>

inline QByteArray makeCardFile(int cards)
{
    const QString words[] = {QStringLiteral("お世話になっております"), QStringLiteral("打ち合わせ"),
                             QStringLiteral("よろしくお願いします"), QStringLiteral("確認しました"),
                             QStringLiteral("資料を送付します"), QStringLiteral("東京都千代田区")};
    QString text;
    text.reserve(qsizetype(cards) * 60);
    quint32 seed = 12345;
    for (int i = 0; i < cards; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int group = int((seed >> 8) % 5000);
        const QString &w1 = words[(seed >> 4) % 6];
        const QString &w2 = words[(seed >> 20) % 6];
        text += QStringLiteral("2024/01/02：件名%1").arg(i) + QChar(0x01)
                + QStringLiteral("グループ%1").arg(group) + QChar(0x01)
                + w1 + QStringLiteral("。\r\n") + w2 + QStringLiteral("（番号%1）").arg(i) + QChar(0x01);
    }
    return Cp932::encode(text);
}

