#pragma once
// Reading the user's own stores: folders and files opened inside an open folder, never through
// a symbolic link, and only regular files of a bounded size read.
#include <QByteArray>
#include <QString>
#include <utility>

#include <unistd.h>

namespace PrivateFiles {
// The system's text for an errno value.
QString errorText(int error);

// A descriptor that closes itself.
class Fd
{
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    Fd(Fd &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd &operator=(Fd &&other) noexcept
    {
        reset();
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Opens name inside parent as a folder, never through a symbolic link, creating it (0700) when
// asked. A link or another kind of file there is refused with a description in *problem.
Fd openFolderAt(int parent, const QString &parentPath, const QString &name, bool create, QString *problem);

enum class ReadStatus { Ok, Missing, Refused };

// Reads a regular file of at most maxSize bytes inside dir. The file is opened once, without
// blocking and without following a link, so a named pipe, a device or a link cannot hang or
// flood the reader.
ReadStatus readFileAt(int dir, const QString &dirPath, const QString &name, qint64 maxSize, QByteArray *out,
                      QString *problem);
} // namespace PrivateFiles
