#pragma once
// Default addresses of the lookup services: each ends where the keyword's value begins.
#include <QString>
#include <QVector>

struct DicServiceDefault {
    QString name;
    QString url;
};

// The nineteen default dictionary services, DicName1/DicURL1 first.
const QVector<DicServiceDefault> &DefaultDicServices();
// WebSearchURL1 to WebSearchURL3.
const QVector<QString> &DefaultWebSearchUrls();
QString DefaultFeelingLuckyUrl();
QString DefaultTVProgramTableUrl();
