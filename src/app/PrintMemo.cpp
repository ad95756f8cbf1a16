#include "app/PrintMemo.h"

#include "app/MemoTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

int PrintMemo(const QString &memoFile, std::FILE *out, std::FILE *err)
{
    MemoGroups table;
    NoHistory history;
    const MemoLoadResult result = ReadMemoFile(memoFile, history, table);
    if (result.groupLimitReached)
        std::fprintf(err, "warning: %s needs more than %d groups; cards of further groups were left out\n",
                     qUtf8Printable(memoFile), MaxMemoGroups);

    QJsonArray groups;
    for (const MemoGroup &group : table) {
        QJsonArray items;
        for (int i = 0; i < group.ItemNames.size(); ++i)
            items.append(QJsonObject{{QStringLiteral("name"), group.ItemNames[i]},
                                     {QStringLiteral("text"), group.ItemTexts[i]}});
        groups.append(QJsonObject{{QStringLiteral("name"), group.Name}, {QStringLiteral("items"), items}});
    }
    const QByteArray json = QJsonDocument(groups).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, size_t(json.size()), out);
    return std::fflush(out) == 0 ? 0 : 1;
}
