#pragma once
// The card file check: two stamps (nothing, "Nodata" or a modification time) and what each
// tick must do, decided from file-status results so the rules run without a disk or a timer.
#include <QString>
#include <QtGlobal>

// What a file-status call found out about one path.
struct FileStatus {
    bool exists = false; // a regular file, links followed
    qint64 sec = 0;      // modification time, seconds since the epoch
    qint64 nsec = 0;     // and nanoseconds, so two saves within one second differ
};

// The modification time of path at full resolution; exists is false for anything that is
// not a regular file, and for a path that cannot be examined.
FileStatus QueryFileStatus(const QString &path);

class FileStamp
{
public:
    enum Kind { Nothing, NoData, Time };

    static FileStamp noData() { return FileStamp(NoData, 0, 0); }
    static FileStamp time(qint64 sec, qint64 nsec) { return FileStamp(Time, sec, nsec); }
    FileStamp() = default;

    Kind kind() const { return kind_; }
    bool isNothing() const { return kind_ == Nothing; }
    // "", "Nodata", or the time as seconds.nanoseconds.
    QString toString() const;

    bool operator==(const FileStamp &o) const
    {
        return kind_ == o.kind_ && (kind_ != Time || (sec_ == o.sec_ && nsec_ == o.nsec_));
    }
    bool operator!=(const FileStamp &o) const { return !(*this == o); }

private:
    FileStamp(Kind k, qint64 s, qint64 n) : kind_(k), sec_(s), nsec_(n) {}
    Kind kind_ = Nothing;
    qint64 sec_ = 0;
    qint64 nsec_ = 0;
};

class MemoFileWatch
{
public:
    // The card file's status at this tick; true when the card file must be reloaded.
    // The first sighting only records the time; a file that reappears after "Nodata" counts
    // as changed.
    bool checkMemo(const FileStatus &status);
    // The card file's status taken just before it was read: the stamp the next tick compares
    // with, so a change made after the read and before that tick is not taken as the baseline.
    void memoRead(const FileStatus &status);
    // The editor's list file's status at this tick; true when the list must be loaded again.
    // The first tick that finds the file always loads it.
    bool checkEditorList(const FileStatus &status);

    const FileStamp &memoStamp() const { return memo_; }
    const FileStamp &editorListStamp() const { return editorList_; }

    // Where the editor keeps its list: "Recent.ini" in the editor's folder, or nothing when no
    // editor is set (a bare "Recent.ini" would be looked for in whatever the current folder is).
    static QString EditorListPath(const QString &editorPath);

private:
    FileStamp memo_;
    FileStamp editorList_;
};
