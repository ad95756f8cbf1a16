#include "platform/KeyTreeStore.h"

#include "platform/PrivateFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char ValuesFile[] = "values.json";
constexpr double MaxDword = 4294967295.0;

QJsonObject readValues(const QString &folder)
{
    QFile file(folder + QLatin1Char('/') + QLatin1String(ValuesFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

KeyTreeStore::KeyTreeStore(const QString &root) : root_(root) {}

bool KeyTreeStore::rootExists() const
{
    return !root_.isEmpty() && QFileInfo(root_).isDir();
}

QString KeyTreeStore::folderName(const QString &keyName)
{
    QString name = keyName;
    name.replace(QLatin1Char('/'), QLatin1String("%2F"));
    name.replace(QChar(0), QLatin1String("%00"));
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.replace(QLatin1Char('.'), QLatin1String("%2E"));
    return name;
}

QString KeyTreeStore::keyFolder(const QStringList &key) const
{
    QString folder = root_;
    for (const QString &name : key)
        folder += QLatin1Char('/') + folderName(name);
    return folder;
}

bool KeyTreeStore::keyExists(const QStringList &key) const
{
    return rootExists() && !key.contains(QString()) && QFileInfo(keyFolder(key)).isDir();
}

bool KeyTreeStore::setValues(const QStringList &key, const QVector<KeyValue> &values)
{
    if (!rootExists() || key.isEmpty() || key.contains(QString()))
        return false;
    QString folder = root_;
    for (const QString &name : key) {
        folder += QLatin1Char('/') + folderName(name);
        if (!PrivateFiles::makeFolder(folder))
            return false;
    }

    QJsonObject stored = readValues(folder);
    for (const KeyValue &v : values) {
        QJsonObject entry;
        entry.insert(QLatin1String("type"), v.isDword ? QLatin1String("dword") : QLatin1String("string"));
        if (v.isDword)
            entry.insert(QLatin1String("value"), qint64(v.dword));
        else
            entry.insert(QLatin1String("value"), v.text);
        stored.insert(v.name, entry);
    }
    if (!PrivateFiles::writeAtomically(folder + QLatin1Char('/') + QLatin1String(ValuesFile),
                                       QJsonDocument(stored).toJson(QJsonDocument::Indented)))
        return false;
    return true;
}

quint32 KeyTreeStore::dwordValue(const QStringList &key, const QString &name) const
{
    const QJsonObject entry = readValues(keyFolder(key)).value(name).toObject();
    if (entry.value(QLatin1String("type")).toString() != QLatin1String("dword"))
        return 0;
    const QJsonValue value = entry.value(QLatin1String("value"));
    if (!value.isDouble())
        return 0;
    const double d = value.toDouble();
    if (d < 0 || d > MaxDword || d != double(qint64(d)))
        return 0;
    return quint32(qint64(d));
}
