#include "platform/UserStore.h"

#include "platform/AtomicFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char IndexName[] = "index.json";
const char BlobFolder[] = "texts";

QString sectionId(const QString &appName, const QString &section)
{
    return appName + QChar(0x1F) + section;
}

// A name that is safe as one folder name and still readable.
QString folderName(const QString &name)
{
    QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(name, " ()"));
    if (encoded.startsWith(QLatin1Char('.')))
        encoded.replace(0, 1, QLatin1String("%2E"));
    return encoded.isEmpty() ? QStringLiteral("%00") : encoded;
}

bool makeFolder(const QString &path)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return true;
    return errno == EEXIST && QFileInfo(path).isDir();
}

bool syncFolder(const QString &path)
{
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The contents are clipboard texts, so nobody else may read them.
bool writeFileAtomically(const QString &path, const QByteArray &data,
                         const std::function<bool()> &beforeRename = nullptr)
{
    return AtomicFile::write(path, data, nullptr, {0600, beforeRename});
}

QString blobName(const QString &text)
{
    return QString::fromLatin1(
               QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex())
        + QStringLiteral(".txt");
}

bool isBlobName(const QString &name)
{
    static const QRegularExpression re(QStringLiteral("^[0-9a-f]{64}\\.txt$"));
    return re.match(name).hasMatch();
}

} // namespace

// ---- MemoryUserStore

QString MemoryUserStore::GetSetting(const QString &appName, const QString &section, const QString &key,
                                    const QString &defaultValue)
{
    auto s = sections_.constFind(sectionId(appName, section));
    if (s == sections_.constEnd())
        return defaultValue;
    auto v = s->constFind(key);
    return v == s->constEnd() ? defaultValue : *v;
}

bool MemoryUserStore::SaveSettings(const QString &appName, const QString &section, const StoreValues &values)
{
    if (failCommits)
        return false;
    auto &s = sections_[sectionId(appName, section)];
    for (const auto &kv : values)
        s.insert(kv.first, kv.second);
    ++commits_;
    return true;
}

// ---- FileUserStore

FileUserStore::FileUserStore(const QString &root)
    : root_(root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) : root)
{
}

QString FileUserStore::sectionFolder(const QString &appName, const QString &section) const
{
    return root_ + QLatin1Char('/') + folderName(appName) + QLatin1Char('/') + folderName(section);
}

FileUserStore::Section &FileUserStore::load(const QString &appName, const QString &section)
{
    const QString id = sectionId(appName, section);
    auto cached = cache_.find(id);
    if (cached != cache_.end())
        return *cached;

    const QString folder = sectionFolder(appName, section);
    Section values;
    QHash<const QChar *, std::pair<QString, QString>> files;
    // A writer in another process may remove a text file between our reading the index and
    // the file; reading again then finds the newer index.
    for (int attempt = 0; attempt < 3; ++attempt) {
        values.clear();
        files.clear();
        QFile index(folder + QLatin1Char('/') + QLatin1String(IndexName));
        if (!index.open(QIODevice::ReadOnly))
            break;
        const QJsonObject stored = QJsonDocument::fromJson(index.readAll()).object().value(QLatin1String("values")).toObject();
        bool complete = true;
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            const QJsonObject entry = it.value().toObject();
            if (entry.contains(QLatin1String("text"))) {
                values.insert(it.key(), entry.value(QLatin1String("text")).toString());
                continue;
            }
            const QString file = entry.value(QLatin1String("file")).toString();
            QFile blob(folder + QLatin1Char('/') + QLatin1String(BlobFolder) + QLatin1Char('/') + file);
            if (!isBlobName(file) || !blob.open(QIODevice::ReadOnly)) {
                complete = false;
                continue;
            }
            const QString text = QString::fromUtf8(blob.readAll());
            values.insert(it.key(), text);
            files.insert(text.constData(), {text, file});
        }
        if (complete)
            break;
    }
    files_.insert(id, files);
    return *cache_.insert(id, values);
}

QString FileUserStore::GetSetting(const QString &appName, const QString &section, const QString &key,
                                  const QString &defaultValue)
{
    const Section &s = load(appName, section);
    auto v = s.constFind(key);
    return v == s.constEnd() ? defaultValue : *v;
}

bool FileUserStore::SaveSettings(const QString &appName, const QString &section, const StoreValues &values)
{
    Section next = load(appName, section);
    for (const auto &kv : values)
        next.insert(kv.first, kv.second);

    const QString appFolder = root_ + QLatin1Char('/') + folderName(appName);
    const QString folder = sectionFolder(appName, section);
    const QString blobs = folder + QLatin1Char('/') + QLatin1String(BlobFolder);
    if (!QDir().mkpath(root_) || !makeFolder(appFolder) || !makeFolder(folder) || !makeFolder(blobs))
        return false;

    // Long texts first, under names taken from their contents: the old index never refers to
    // a file written now, and a text moving to another key costs nothing.
    QJsonObject stored;
    QSet<QString> referenced;
    bool wroteBlob = false;
    const auto &knownFiles = files_[sectionId(appName, section)];
    QHash<const QChar *, std::pair<QString, QString>> files;
    for (auto it = next.cbegin(); it != next.cend(); ++it) {
        QJsonObject entry;
        if (it.value().size() <= InlineLimit) {
            entry.insert(QLatin1String("text"), it.value());
        } else {
            const QChar *data = it.value().constData();
            auto known = knownFiles.constFind(data);
            const QString name = known != knownFiles.constEnd() && known->first.constData() == data
                    && known->first.size() == it.value().size()
                ? known->second
                : blobName(it.value());
            files.insert(data, {it.value(), name});
            const QString path = blobs + QLatin1Char('/') + name;
            if (!referenced.contains(name) && !QFileInfo::exists(path)) {
                if (!step("text") || !writeFileAtomically(path, it.value().toUtf8()))
                    return false;
                wroteBlob = true;
            }
            referenced.insert(name);
            entry.insert(QLatin1String("file"), name);
        }
        stored.insert(it.key(), entry);
    }
    if (wroteBlob && !syncFolder(blobs))
        return false;
    if (!step("index"))
        return false;

    QJsonObject document;
    document.insert(QLatin1String("version"), 1);
    document.insert(QLatin1String("values"), stored);
    if (!writeFileAtomically(folder + QLatin1Char('/') + QLatin1String(IndexName),
                             QJsonDocument(document).toJson(QJsonDocument::Compact),
                             [this] { return step("rename"); }))
        return false;
    syncFolder(folder);
    cache_.insert(sectionId(appName, section), next);
    files_.insert(sectionId(appName, section), files);

    // The new index is in place; texts that only the old one named can go.
    if (!step("cleanup"))
        return true;
    const QStringList onDisk = QDir(blobs).entryList(QDir::Files | QDir::Hidden);
    for (const QString &file : onDisk) {
        if (!referenced.contains(file))
            QFile::remove(blobs + QLatin1Char('/') + file);
    }
    // Left behind by a process that died while writing its index.
    const QStringList stale = QDir(folder).entryList({QLatin1String(IndexName) + QLatin1String(".tmp*")}, QDir::Files | QDir::Hidden);
    for (const QString &file : stale)
        QFile::remove(folder + QLatin1Char('/') + file);
    return true;
}
