#include "settings/iniMente.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kRem = QStringLiteral("*REM*");
const QString kDel = QStringLiteral("*DEL*");
const QString kGeneral = QStringLiteral("[General]");
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kMaxGroupIndex = 32767; // numbered keys count with a 16-bit counter

QStringView trimSpaces(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

QStringView trimLeadingSpaces(QStringView s)
{
    qsizetype b = 0;
    while (b < s.size() && s[b] == u' ')
        ++b;
    return s.mid(b);
}

// Reads a whole file through a descriptor. Returns false on a read error; bytes holds what
// was read before it.
bool readAll(int fd, qint64 sizeHint, QByteArray &bytes)
{
    if (sizeHint > 0)
        bytes.reserve(sizeHint + 1);
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.append(buf, n);
    }
}

} // namespace

bool iniMente::iniLoader(const QString &Filename)
{
    filename_ = Filename;
    if (Filename.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(Filename);
    // An ordinary file is a regular file after following links; dot files count.
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // An unreadable file leaves the document as it was, so that nothing saves over it blindly.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    QByteArray bytes;
    const bool complete = readAll(fd, st.st_size, bytes);
    ::close(fd);

    if (!complete) {
        // Keep only whole lines: CR and LF never occur inside a multibyte character.
        const qsizetype end = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(end + 1);
    }

    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(QByteArrayView(bytes).sliced(3));
    else
        text = Cp932::decode(bytes);
    bytes = QByteArray();

    clear();
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = p[i];
        if (c == u'\r' || c == u'\n') {
            addLine(QStringView(p + start, i - start));
            if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        addLine(QStringView(p + start, n - start));
    return complete;
}

void iniMente::addLine(QStringView line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.startsWith(u';') || line.startsWith(u'#') || line.startsWith(u'/')
        || line.startsWith(u'[')) {
        append(kRem, line.toString());
        return;
    }
    append(trimSpaces(line.left(eq)).toString(), trimLeadingSpaces(line.mid(eq + 1)).toString());
}

void iniMente::clear()
{
    keys_.clear();
    values_.clear();
    index_.clear();
}

void iniMente::append(const QString &key, const QString &value)
{
    const int i = keys_.size();
    keys_.append(key);
    values_.append(value);
    QString lowered = key.toLower();
    if (!index_.contains(lowered)) // the first entry of a key keeps the index
        index_.insert(std::move(lowered), i);
}

int iniMente::find(const QString &key) const
{
    return index_.value(key.toLower(), -1);
}

void iniMente::SetiniFilename(const QString &FilenameofINI)
{
    filename_ = FilenameofINI;
}

QString iniMente::GetiniFilename() const
{
    return filename_;
}

QString iniMente::render(bool forFile) const
{
    qsizetype size = kGeneral.size() + 2;
    for (int i = 0; i < keys_.size(); ++i)
        size += keys_.at(i).size() + values_.at(i).size() + 5;
    QString out;
    out.reserve(size);
    if (forFile)
        out += kGeneral + kCrLf;
    for (int i = 0; i < keys_.size(); ++i) {
        const QString &v = values_.at(i);
        if (v == kDel || (forFile && v == kGeneral))
            continue;
        if (keys_.at(i) != kRem) {
            out += keys_.at(i);
            out += u" = ";
        }
        out += v;
        out += kCrLf;
    }
    return out;
}

bool iniMente::iniSaver(const QString &Filename)
{
    filename_ = Filename;
    if (keys_.isEmpty())
        return true;

    QString text = render(true);
    // A replacement character stands for a byte that could not be read; it must not make the
    // whole file switch encoding.
    text.replace(QChar(QChar::ReplacementCharacter), u'?');
    // Paths live here: a wave dash must not come back as its full-width twin.
    QByteArray bytes = Cp932::encode(text);
    if (Cp932::decode(bytes) != text)
        bytes = QByteArray("\xEF\xBB\xBF") + text.toUtf8();

    saveError_.clear();
    return AtomicFile::write(Filename, bytes, &saveError_);
}

bool iniMente::iniSaverSameFilename()
{
    return iniSaver(filename_);
}

QString iniMente::GetiniValue(const QString &ItemName) const
{
    const int i = find(ItemName);
    return i >= 0 ? values_.at(i) : QString();
}

QString iniMente::GetiniValue(const QString &ItemName, const QString &Default)
{
    const int i = find(ItemName);
    if (i >= 0)
        return values_.at(i);
    append(ItemName, Default);
    return Default;
}

bool iniMente::SetiniValue(const QString &ItemName, const QString &ItemValue)
{
    const int i = ItemName == kRem ? -1 : find(ItemName);
    if (i >= 0)
        values_[i] = ItemValue;
    else
        append(ItemName, ItemValue);
    return true;
}

std::optional<bool> iniMente::TruthValue(const QString &Value)
{
    const QString v = Value.trimmed();
    if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = v.toDouble(&ok);
    return ok ? std::optional<bool>(number != 0) : std::nullopt;
}

std::optional<qint64> iniMente::NumberValue(const QString &Value)
{
    bool ok = false;
    const qint64 number = Value.trimmed().toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

bool iniMente::GetiniBool(const QString &ItemName, bool Default)
{
    return TruthValue(GetiniValue(ItemName, Default)).value_or(Default);
}

qint64 iniMente::GetiniNumber(const QString &ItemName, qint64 Default)
{
    return NumberValue(GetiniValue(ItemName, Default)).value_or(Default);
}

bool iniMente::DeliniValue(const QString &ItemName)
{
    return SetiniValue(ItemName, kDel);
}

bool iniMente::DeliniGroup(const QString &GroupName)
{
    for (int n = 0; n <= kMaxGroupIndex; ++n) {
        const QString key = GroupName + QString::number(n);
        if (GetiniValue(key).isEmpty())
            break;
        DeliniValue(key);
    }
    return true;
}

qint16 iniMente::SearchinGroup(const QString &GroupName, const QString &SearchItem,
                               bool NoCheckCase)
{
    const QString wanted = NoCheckCase ? SearchItem.toLower() : SearchItem;
    for (int n = 0; n <= kMaxGroupIndex; ++n) {
        const QString value = GetiniValue(GroupName + QString::number(n));
        if (value.isEmpty())
            return -1;
        if ((NoCheckCase ? value.toLower() : value) == wanted)
            return qint16(n);
    }
    return -1;
}

std::pair<QString, QString> iniMente::GetiniGroup2(const QString &GroupName)
{
    if (!GroupName.isEmpty()) {
        groupPrefix_ = GroupName;
        groupStart_ = 0;
    }
    const QString prefix = groupPrefix_.toLower();
    for (int i = groupStart_; i < keys_.size(); ++i) {
        if (keys_.at(i).left(prefix.size()).toLower() == prefix) {
            groupStart_ = i + 1;
            return {keys_.at(i), values_.at(i)};
        }
    }
    return {};
}

void iniMente::MakeiniItem(const QString &ItemName, const QString &ItemValue)
{
    if (GetiniValue(ItemName).isEmpty())
        SetiniValue(ItemName, ItemValue);
}

QString iniMente::iniSavertoVariable() const
{
    return render(false);
}
