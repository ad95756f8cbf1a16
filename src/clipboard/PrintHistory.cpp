#include "clipboard/PrintHistory.h"

#include "clipboard/ClipHistory.h"
#include "platform/UserStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

int printHistory(UserStore &store, QTextStream &out)
{
    const QJsonArray texts = QJsonArray::fromStringList(ClipHistory::StoredTexts(store));
    out << QString::fromUtf8(QJsonDocument(texts).toJson(QJsonDocument::Compact)) << '\n';
    out.flush();
    return 0;
}

int printHistory()
{
    FileUserStore store;
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    return printHistory(store, out);
}
