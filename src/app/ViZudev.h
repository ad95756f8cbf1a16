#pragma once
// Registration with the update-notification tool Bellwatch: writes the program's description
// into the tool's key tree ($XDG_CONFIG_HOME/Vizudev) and compares the newest build the tool
// recorded with our own. Failures are thrown as ViZudevError.
#include "platform/KeyTreeStore.h"

#include <QString>
#include <exception>

class ViZudevError : public std::exception
{
public:
    static constexpr qint64 ErrorBase = 0x80040000;
    // The arithmetic overflow of the build number, which is no error of the tool's own.
    static constexpr qint64 Overflow = 6;

    ViZudevError(qint64 number, const QString &description);
    qint64 number() const { return number_; }
    // The tool's own code (number less the base), or -1 for the overflow.
    int code() const { return number_ >= ErrorBase ? int(number_ - ErrorBase) : -1; }
    QString description() const { return description_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    qint64 number_;
    QString description_;
    QByteArray utf8_;
};

// What the registration needs to know about the running program.
struct ViZudevProgram {
    QString configHome;     // the key tree lives in configHome/Vizudev
    QString productName;    // the key name when DistinctName is empty
    int major = 0, minor = 0, revision = 0;
    QString executablePath; // absolute
};

class ViZudev
{
public:
    explicit ViZudev(const ViZudevProgram &program);

    void setFilePath(bool vData);
    bool InstalledViZudev() const;
    bool CheckNewVer() const;
    void setMailAddress(const QString &vData) { mailAddress_ = vData; }
    void setDisplayHost(const QString &vData) { displayHost_ = vData; }
    void setAuthor(const QString &vData) { author_ = vData; }
    void setDisplayName(const QString &vData) { displayName_ = vData; }
    void setDistinctName(const QString &vData) { distinctName_ = vData; }
    void setBuild(qint32 vData) { build_ = vData; }
    void setIconIndex(qint32 vData) { iconIndex_ = vData; }
    void InfoURL(const QString &szURL, quint8 btID);
    void WriteData();

    // major x 10000 + minor x 100 + revision in 16-bit arithmetic; throws the overflow.
    static qint16 VersionBuild(int major, int minor, int revision);

private:
    QString keyName() const;
    QStringList makerKey() const { return {mailAddress_}; }

    ViZudevProgram program_;
    KeyTreeStore store_;
    QString mailAddress_, author_, displayHost_, displayName_, distinctName_, filePath_, infoUrl_;
    qint32 build_ = 0;
    qint32 iconIndex_ = 0;
};

// The start-up registration: when the tool is installed, writes Quillbox's description and
// asks for a newer build (the answer is not used). Every failure is ignored.
void RegisterWithUpdateChecker(const ViZudevProgram &program);
