#include "platform/KeyTreeStore.h"

#include "platform/AtomicFile.h"
#include "platform/PrivateFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>

using PrivateFiles::Fd;

namespace {

const char ValuesFile[] = "values.json";
const char SetAsideFile[] = "values.json.bad";
constexpr double MaxDword = 4294967295.0;
// A key holds a handful of short values; anything near this size is not ours.
constexpr qint64 MaxValuesSize = qint64(1) << 20;

void report(const QString &problem)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(QCoreApplication::applicationName()), qUtf8Printable(problem));
}

enum class Values { Read, Missing, Unreadable };

Values readValues(int folder, const QString &folderPath, QJsonObject *out, QString *problem)
{
    QByteArray bytes;
    switch (PrivateFiles::readFileAt(folder, folderPath, QLatin1String(ValuesFile), MaxValuesSize, &bytes, problem)) {
    case PrivateFiles::ReadStatus::Missing:
        return Values::Missing;
    case PrivateFiles::ReadStatus::Refused:
        return Values::Unreadable;
    case PrivateFiles::ReadStatus::Ok:
        break;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (!document.isObject()) {
        *problem = folderPath + QLatin1Char('/') + QLatin1String(ValuesFile) + QStringLiteral(": ")
                   + (error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not a JSON object"));
        return Values::Unreadable;
    }
    *out = document.object();
    return Values::Read;
}

// The root may be a link (a shared configuration folder); every level below it is opened
// without following one, so the tree never leads outside itself.
Fd openKey(const QString &root, const QStringList &key, bool create, QString *problem)
{
    if (key.isEmpty() || key.contains(QString()))
        return Fd();
    Fd folder(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QString path = root;
    for (const QString &name : key) {
        if (!folder.valid())
            break;
        const QString entry = KeyTreeStore::folderName(name);
        folder = PrivateFiles::openFolderAt(folder.get(), path, entry, create, problem);
        path += QLatin1Char('/') + entry;
    }
    return folder;
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
    QString problem;
    return rootExists() && openKey(root_, key, false, &problem).valid();
}

bool KeyTreeStore::setValues(const QStringList &key, const QVector<KeyValue> &values)
{
    if (!rootExists())
        return false; // made by the update checker alone
    QString problem;
    const Fd folder = openKey(root_, key, true, &problem);
    if (!folder.valid()) {
        if (!problem.isEmpty())
            report(problem);
        return false;
    }
    const QString path = keyFolder(key);
    QJsonObject stored;
    if (readValues(folder.get(), path, &stored, &problem) == Values::Unreadable) {
        // The other program's values in it are not ours to drop: keep the file beside the new one.
        if (::renameat(folder.get(), ValuesFile, folder.get(), SetAsideFile) != 0) {
            report(problem + QStringLiteral("; cannot be set aside: ") + PrivateFiles::errorText(errno));
            return false;
        }
        report(problem + QStringLiteral("; kept as ") + QLatin1String(SetAsideFile));
    }
    for (const KeyValue &v : values) {
        QJsonObject entry;
        entry.insert(QLatin1String("type"), v.isDword ? QLatin1String("dword") : QLatin1String("string"));
        if (v.isDword)
            entry.insert(QLatin1String("value"), qint64(v.dword));
        else
            entry.insert(QLatin1String("value"), v.text);
        stored.insert(v.name, entry);
    }
    const int error = AtomicFile::writeAt(folder.get(), QLatin1String(ValuesFile),
                                          QJsonDocument(stored).toJson(QJsonDocument::Indented), 0600);
    if (error != 0) {
        report(path + QLatin1Char('/') + QLatin1String(ValuesFile) + QStringLiteral(": ") + PrivateFiles::errorText(error));
        return false;
    }
    ::fsync(folder.get()); // the rename itself must reach the disk too
    return true;
}

quint32 KeyTreeStore::dwordValue(const QStringList &key, const QString &name) const
{
    QString problem;
    const Fd folder = openKey(root_, key, false, &problem);
    QJsonObject stored;
    if (!folder.valid() || readValues(folder.get(), keyFolder(key), &stored, &problem) != Values::Read)
        return 0;
    const QJsonObject entry = stored.value(name).toObject();
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
