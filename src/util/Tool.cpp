#include "util/Tool.h"

#include "platform/ShellService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Windows-style means a drive letter and ":" or a UNC "\\"; everything else is POSIX.
bool isWindowsPath(QStringView p)
{
    return (p.size() >= 2 && isAsciiLetter(p[0]) && p[1] == u':') || p.startsWith(u"\\\\");
}

struct Style {
    bool windows;
    bool isSep(QChar c) const { return c == u'/' || (windows && c == u'\\'); }
    QChar sep() const { return windows ? u'\\' : u'/'; }
};

// Length of the part that has no parent: "C:", "C:\", "\\server\share\", "/".
qsizetype rootLength(QStringView p, const Style &s)
{
    qsizetype i = 0;
    if (!s.windows) {
        while (i < p.size() && p[i] == u'/')
            ++i;
        return i;
    }
    if (p.size() >= 2 && p[1] == u':') {
        i = 2;
    } else {
        // UNC: the server and share names belong to the root.
        i = 2;
        for (int part = 0; part < 2; ++part) {
            while (i < p.size() && !s.isSep(p[i]))
                ++i;
            if (part == 0 && i < p.size())
                ++i;
        }
    }
    if (i < p.size() && s.isSep(p[i]))
        ++i;
    return i;
}

// End of the path once trailing separators (other than the root's) are dropped.
qsizetype trimmedEnd(QStringView p, const Style &s, qsizetype root)
{
    qsizetype e = p.size();
    while (e > root && s.isSep(p[e - 1]))
        --e;
    return e;
}

bool isFile(const QString &path)
{
    struct stat st;
    return !path.isEmpty() && !isWindowsPath(path)
           && ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

namespace Tool {

bool IsWindowsPath(const QString &path)
{
    return isWindowsPath(path);
}

QString GetParentFolder(const QString &path)
{
    const Style s{isWindowsPath(path)};
    const qsizetype root = rootLength(path, s);
    qsizetype e = trimmedEnd(path, s, root);
    if (e == root)
        return QString(); // a root has no parent
    while (e > root && !s.isSep(path[e - 1]))
        --e;
    while (e > root && s.isSep(path[e - 1]))
        --e;
    return path.left(e);
}

QString GetFileNamePart(const QString &path)
{
    const Style s{isWindowsPath(path)};
    const qsizetype root = rootLength(path, s);
    const qsizetype e = trimmedEnd(path, s, root);
    qsizetype b = e;
    while (b > root && !s.isSep(path[b - 1]))
        --b;
    return path.mid(b, e - b);
}

QString GetBaseName(const QString &path)
{
    const QString name = GetFileNamePart(path);
    if (name.startsWith(u'.'))
        return QString();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString GetExtension(const QString &path)
{
    const QString name = GetFileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString MakePath(const QString &folder, const QString &name)
{
    if (folder.isEmpty())
        return name;
    const Style s{isWindowsPath(folder)};
    // Dropping the folder's trailing separators also turns "C:\" into "C:", so a drive
    // always gets its "\" back below and never becomes drive-relative.
    qsizetype e = folder.size();
    while (e > 0 && s.isSep(folder[e - 1]))
        --e;
    qsizetype b = 0;
    while (b < name.size() && s.isSep(name[b]))
        ++b;
    return folder.left(e) + s.sep() + name.mid(b);
}

bool IsDriveOnly(const QString &path)
{
    return (path.size() == 2 || path.size() == 3) && isAsciiLetter(path[0]) && path[1] == u':';
}

bool CanOpenFile(const QString &path)
{
    if (path.isEmpty() || isWindowsPath(path))
        return false;
    // Non-blocking, so that a named pipe cannot hang the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return ok;
}

QString GetLongPath(const QString &path)
{
    // Windows-style paths cannot be looked up here, and a failed look-up returns the input.
    if (path.isEmpty() || isWindowsPath(path))
        return path;
    // Names on disk are exact already; what matters is that no relative path is stored.
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool OpenDocument(ShellService &shell, const QString &target)
{
    const QString head = target.left(7).toLower();
    if (head == u"mailto:" || head == u"http://" || head.startsWith(u"ftp://")) {
        shell.openUrl(target);
        return true; // the shell's answer for addresses is not reported
    }
    if (!isFile(target))
        return false;
    return shell.openFile(target, target);
}

QString RemoveQuotes(const QString &text)
{
    if (text.size() > 1 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

QString CutWithEllipsis(const QString &text, qint16 maxLength)
{
    const qsizetype max = std::max<qsizetype>(0, maxLength);
    if (text.size() <= max)
        return text;
    qsizetype cut = max;
    // Never leave half of a surrogate pair in a menu text.
    if (cut > 0 && text[cut - 1].isHighSurrogate() && text[cut].isLowSurrogate())
        --cut;
    return text.left(cut) + QStringLiteral("...");
}

QString GetFirstLine(const QString &text)
{
    const QString crlf = QStringLiteral("\r\n");
    const qsizetype p = text.indexOf(crlf);
    if (p < 0)
        return text;
    if (p == 0) {
        const qsizetype next = text.indexOf(crlf, 2);
        return next < 0 ? QString() : text.mid(2, next - 2);
    }
    return text.left(p);
}

QStringList SplitCommandLine(const QString &commandLine)
{
    QStringList words;
    QString word;
    bool inWord = false; // quotes make a word even when it stays empty
    const qsizetype n = commandLine.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = commandLine[i];
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        if (c == u'\\' && i + 1 < n && commandLine[i + 1] == u'\n') {
            ++i; // a continued line
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            for (++i; i < n && commandLine[i] != u'\''; ++i)
                word += commandLine[i];
        } else if (c == u'"') {
            for (++i; i < n && commandLine[i] != u'"'; ++i) {
                // Inside double quotes a backslash escapes only these; before others it stays.
                if (commandLine[i] == u'\\' && i + 1 < n
                    && QStringView(u"$`\"\\\n").contains(commandLine[i + 1])) {
                    ++i;
                    if (commandLine[i] == u'\n')
                        continue;
                }
                word += commandLine[i];
            }
        } else if (c == u'\\') {
            word += ++i < n ? commandLine[i] : c; // a backslash at the very end stays
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

} // namespace Tool
