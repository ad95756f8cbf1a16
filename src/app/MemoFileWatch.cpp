#include "app/MemoFileWatch.h"

#include "util/Tool.h"

#include <QFile>

#include <sys/stat.h>

FileStatus QueryFileStatus(const QString &path)
{
    FileStatus status;
    if (path.isEmpty())
        return status;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return status;
    status.exists = true;
    status.sec = qint64(st.st_mtim.tv_sec);
    status.nsec = qint64(st.st_mtim.tv_nsec);
    return status;
}

QString FileStamp::toString() const
{
    switch (kind_) {
    case Nothing:
        return QString();
    case NoData:
        return QStringLiteral("Nodata");
    case Time:
        break;
    }
    return QStringLiteral("%1.%2").arg(sec_).arg(nsec_, 9, 10, QLatin1Char('0'));
}

bool MemoFileWatch::checkMemo(const FileStatus &status)
{
    if (!status.exists) {
        memo_ = FileStamp::noData();
        return false;
    }
    const FileStamp seen = FileStamp::time(status.sec, status.nsec);
    if (memo_.isNothing()) {
        memo_ = seen;
        return false;
    }
    if (seen == memo_)
        return false;
    memo_ = seen;
    return true;
}

void MemoFileWatch::memoRead(const FileStatus &status)
{
    memo_ = status.exists ? FileStamp::time(status.sec, status.nsec) : FileStamp::noData();
}

bool MemoFileWatch::checkEditorList(const FileStatus &status)
{
    if (!status.exists) {
        editorList_ = FileStamp::noData();
        return false;
    }
    const FileStamp seen = FileStamp::time(status.sec, status.nsec);
    if (seen == editorList_)
        return false;
    editorList_ = seen;
    return true;
}

QString MemoFileWatch::EditorListPath(const QString &editorPath)
{
    if (editorPath.isEmpty())
        return QString();
    return Tool::MakePath(Tool::GetParentFolder(editorPath), QStringLiteral("Recent.ini"));
}
