#include "memo/TextFastReadBinary.h"

#include "platform/Cp932.h"
#include "util/Tool.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char FieldSeparator = '\x01';

bool hasUtf8Bom(const QByteArray &bytes)
{
    return bytes.size() >= 3 && uchar(bytes[0]) == 0xEF && uchar(bytes[1]) == 0xBB
           && uchar(bytes[2]) == 0xBF;
}

// First touches of fresh memory are costly; a big file buffer in huge pages takes a few
// hundred of them instead of thousands. Only advice: failure changes nothing.
void adviseHugePages(QByteArray &buffer)
{
    constexpr quintptr HugePage = 2 * 1024 * 1024;
    const auto begin = reinterpret_cast<quintptr>(buffer.data());
    const quintptr from = (begin + HugePage - 1) & ~(HugePage - 1);
    const quintptr to = (begin + quintptr(buffer.size())) & ~(HugePage - 1);
    if (to > from)
        madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
}

} // namespace

TextFastReadBinary::TextFastReadBinary()
{
    reset();
}

// The new state: one empty field, nothing handed out yet.
void TextFastReadBinary::reset()
{
    bytes_.clear();
    next_ = 0;
    lastStart_ = lastLength_ = 0;
    fieldCount_ = 1;
    position_ = -1;
    utf8_ = false;
}

bool TextFastReadBinary::LoadTextFile(const QString &fileName)
{
    if (fileName.isEmpty() || Tool::IsWindowsPath(fileName))
        return false;
    // Opened once and without blocking, then only a regular file is read: a named pipe or a
    // device in its place must not hang the program.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxFileSize) {
        ::close(fd);
        return false;
    }
    reset();
    const qint64 length = st.st_size;
    if (length <= 0) {
        ::close(fd);
        fieldCount_ = 0; // at the end at once: no field is ever handed out
        return true;
    }
    bytes_ = QByteArray(length, Qt::Uninitialized);
    adviseHugePages(bytes_);
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::read(fd, bytes_.data() + got, size_t(length - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            reset();
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    bytes_.truncate(got); // the file may have shrunk meanwhile

    // Linux editors write a UTF-8 byte-order mark; no code page 932 file starts with it.
    utf8_ = hasUtf8Bom(bytes_);
    next_ = utf8_ ? 3 : 0;
    // The separator byte never occurs inside a multibyte character of either encoding, so
    // the fields can be found in the bytes; decoding a field gives an empty text exactly
    // when its bytes are empty.
    const QByteArrayView text = QByteArrayView(bytes_).sliced(next_);
    fieldCount_ = qint32(text.count(FieldSeparator) + 1);
    if (text.isEmpty() || text.endsWith(FieldSeparator))
        --fieldCount_;
    return true;
}

bool TextFastReadBinary::EOFText() const
{
    return fieldCount_ - 1 < position_ + 1;
}

QByteArrayView TextFastReadBinary::nextField()
{
    ++position_;
    lastStart_ = qMin(next_, bytes_.size());
    const QByteArrayView rest = QByteArrayView(bytes_).sliced(lastStart_);
    qsizetype length = rest.indexOf(FieldSeparator);
    if (length < 0)
        length = rest.size();
    lastLength_ = length;
    next_ += length + 1;
    return rest.first(length);
}

QString TextFastReadBinary::InputLine()
{
    if (EOFText())
        return QString();
    const QByteArrayView field = nextField();
    return utf8_ ? QString::fromUtf8(field) : Cp932::decode(field);
}

void TextFastReadBinary::SkipLine()
{
    if (!EOFText())
        nextField();
}

void TextFastReadBinary::rewind(const Bookmark &mark)
{
    next_ = mark.next;
    position_ = mark.position;
}

QStringList TextFastReadBinary::GetOneLine()
{
    if (EOFText())
        return QStringList();
    return InputLine().split(QStringLiteral("\r\n"));
}
