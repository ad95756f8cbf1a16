#include "platform/UserStore.h"

#include "platform/AtomicFile.h"
#include "platform/PrivateFiles.h"

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

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using PrivateFiles::Fd;
using PrivateFiles::ReadStatus;

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

constexpr qint64 MaxIndexSize = qint64(256) << 20;
constexpr qint64 MaxTextSize = qint64(1) << 30;

bool syncFolder(int dir)
{
    return ::fsync(dir) == 0;
}

// The contents are clipboard texts, so nobody else may read them. Returns 0 or an errno value.
int writeFileAtomically(int dir, const QString &name, const QByteArray &data,
                        const std::function<bool()> &beforeRename = nullptr)
{
    return AtomicFile::writeAt(dir, name, data, 0600, beforeRename);
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

// The temporary names writeFileAtomically uses, for a text file or the index.
bool isTempName(const QString &name, bool text)
{
    static const QRegularExpression textTemp(QStringLiteral("^[0-9a-f]{64}\\.txt\\.tmp[0-9]+$"));
    static const QRegularExpression indexTemp(QStringLiteral("^index\\.json\\.tmp[0-9]+$"));
    return (text ? textTemp : indexTemp).match(name).hasMatch();
}

} // namespace

StoreValues StoreValuesOf(const QHash<QString, QString> &values)
{
    StoreValues result;
    result.reserve(values.size());
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        result.append({it.key(), it.value()});
    return result;
}

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

StoreValues MemoryUserStore::GetAllSettings(const QString &appName, const QString &section)
{
    return StoreValuesOf(sections_.value(sectionId(appName, section)));
}

// ---- FileUserStore

struct FileUserStore::Folders {
    Fd section;
    Fd texts;
};

FileUserStore::FileUserStore(const QString &root)
    : root_(root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) : root)
{
}

QString FileUserStore::sectionFolder(const QString &appName, const QString &section) const
{
    return root_ + QLatin1Char('/') + folderName(appName) + QLatin1Char('/') + folderName(section);
}

void FileUserStore::report(const QString &problem, bool reading)
{
    lastError_ = problem;
    // A refused file stays refused: say so once, not at every commit.
    if (reported_.contains(problem))
        return;
    reported_.insert(problem);
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(QCoreApplication::applicationName()), qUtf8Printable(problem));
    if (reading && readProblemReport_)
        readProblemReport_(problem);
}

bool FileUserStore::openFolders(const QString &appName, const QString &section, bool create, Folders *f)
{
    // The root may be a link (a shared ~/.config); below it everything is ours.
    if (create && !QDir().mkpath(root_)) {
        report(root_ + QStringLiteral(": cannot be created"));
        return false;
    }
    const Fd root(::open(QFile::encodeName(root_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.valid()) {
        if (create || errno != ENOENT)
            report(root_ + QStringLiteral(": ") + PrivateFiles::errorText(errno), !create);
        return false;
    }
    QString problem;
    const QString appPath = root_ + QLatin1Char('/') + folderName(appName);
    const Fd app = PrivateFiles::openFolderAt(root.get(), root_, folderName(appName), create, &problem);
    if (app.valid())
        f->section = PrivateFiles::openFolderAt(app.get(), appPath, folderName(section), create, &problem);
    if (f->section.valid())
        f->texts = PrivateFiles::openFolderAt(f->section.get(), sectionFolder(appName, section), QLatin1String(BlobFolder), create,
                                 &problem);
    if (!problem.isEmpty())
        report(problem, !create);
    // Reading goes on without the texts folder: the short values are in the index.
    return f->section.valid() && (f->texts.valid() || !create);
}

FileUserStore::Section &FileUserStore::load(const QString &appName, const QString &section)
{
    const QString id = sectionId(appName, section);
    auto cached = cache_.find(id);
    if (cached != cache_.end())
        return *cached;

    const QString folder = sectionFolder(appName, section);
    const QString blobs = folder + QLatin1Char('/') + QLatin1String(BlobFolder);
    Section values;
    QHash<const QChar *, std::pair<QString, QString>> files;
    Folders f;
    // A writer in another process may remove a text file between our reading the index and
    // the file; reading again then finds the newer index.
    for (int attempt = 0; attempt < 3 && openFolders(appName, section, false, &f); ++attempt) {
        values.clear();
        files.clear();
        QByteArray indexBytes;
        QString problem;
        const ReadStatus status = PrivateFiles::readFileAt(f.section.get(), folder, QLatin1String(IndexName), MaxIndexSize,
                                              &indexBytes, &problem);
        if (status == ReadStatus::Refused)
            report(problem, true);
        if (status != ReadStatus::Ok)
            break;
        const QJsonObject stored = QJsonDocument::fromJson(indexBytes).object().value(QLatin1String("values")).toObject();
        indexBytes = QByteArray();
        bool complete = true;
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            const QJsonObject entry = it.value().toObject();
            if (entry.contains(QLatin1String("text"))) {
                values.insert(it.key(), entry.value(QLatin1String("text")).toString());
                continue;
            }
            const QString file = entry.value(QLatin1String("file")).toString();
            QByteArray bytes;
            ReadStatus text = ReadStatus::Missing;
            if (!isBlobName(file) || !f.texts.valid())
                text = ReadStatus::Refused; // reading again cannot help
            else if ((text = PrivateFiles::readFileAt(f.texts.get(), blobs, file, MaxTextSize, &bytes, &problem)) == ReadStatus::Refused)
                report(problem, true);
            if (text != ReadStatus::Ok) {
                complete = text == ReadStatus::Refused; // a refused file will not appear by reading again
                continue;
            }
            const QString value = QString::fromUtf8(bytes);
            values.insert(it.key(), value);
            files.insert(value.constData(), {value, file});
        }
        if (complete)
            break;
        f = Folders();
    }
    files_.insert(id, files);
    return *cache_.insert(id, values);
}

QString FileUserStore::GetSetting(const QString &appName, const QString &section, const QString &key,
                                  const QString &defaultValue)
{
    return load(appName, section).value(key, defaultValue);
}

StoreValues FileUserStore::GetAllSettings(const QString &appName, const QString &section)
{
    return StoreValuesOf(load(appName, section));
}

bool FileUserStore::fail(const QString &path, int error)
{
    report(path + QStringLiteral(": ") + PrivateFiles::errorText(error));
    return false;
}

bool FileUserStore::SaveSettings(const QString &appName, const QString &section, const StoreValues &values)
{
    Section next = load(appName, section);
    for (const auto &kv : values)
        next.insert(kv.first, kv.second);

    Folders f;
    if (!openFolders(appName, section, true, &f))
        return false;
    const QString folder = sectionFolder(appName, section);
    const QString blobs = folder + QLatin1Char('/') + QLatin1String(BlobFolder);

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
            struct stat st;
            const bool present = ::fstatat(f.texts.get(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISREG(st.st_mode);
            if (!referenced.contains(name) && !present) {
                if (!step("text"))
                    return false;
                if (const int error = writeFileAtomically(f.texts.get(), name, it.value().toUtf8()))
                    return fail(blobs + QLatin1Char('/') + name, error);
                wroteBlob = true;
            }
            referenced.insert(name);
            entry.insert(QLatin1String("file"), name);
        }
        stored.insert(it.key(), entry);
    }
    if (wroteBlob && !syncFolder(f.texts.get()))
        return fail(blobs, errno);
    if (!step("index"))
        return false;

    QJsonObject document;
    document.insert(QLatin1String("version"), 1);
    document.insert(QLatin1String("values"), stored);
    if (const int error = writeFileAtomically(f.section.get(), QLatin1String(IndexName),
                                              QJsonDocument(document).toJson(QJsonDocument::Compact),
                                              [this] { return step("rename"); }))
        return fail(folder + QLatin1Char('/') + QLatin1String(IndexName), error);
    syncFolder(f.section.get());
    cache_.insert(sectionId(appName, section), next);
    files_.insert(sectionId(appName, section), files);

    // The new index is in place; texts that only the old one named can go, and what a process
    // left that died while writing. Only files of our own naming are ever removed.
    if (!step("cleanup"))
        return true;
    removeUnnamed(f.texts.get(), [&](const QString &name) {
        return (isBlobName(name) && !referenced.contains(name)) || isTempName(name, true);
    });
    removeUnnamed(f.section.get(), [](const QString &name) { return isTempName(name, false); });
    return true;
}

void FileUserStore::removeUnnamed(int dir, const std::function<bool(const QString &)> &removable)
{
    const int listFd = ::dup(dir);
    DIR *listing = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!listing) {
        if (listFd >= 0)
            ::close(listFd);
        return;
    }
    ::rewinddir(listing);
    while (const dirent *e = ::readdir(listing)) {
        const QString name = QFile::decodeName(e->d_name);
        struct stat st;
        if (removable(name) && ::fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(dir, e->d_name, 0);
    }
    ::closedir(listing);
}
