#pragma once
// Where the program keeps its files. Decided by where the executable lives, not by write
// access: an installed copy (the executable sits in the compiled-in bindir, or in any bin/
// with share/quillbox beside it) keeps user files in $XDG_CONFIG_HOME/Quillbox and reads
// shipped files from <datadir>/quillbox; a copy run from anywhere else (build tree, unpacked
// folder) keeps everything beside the executable.
#include <QString>

class ProgramFolder
{
public:
    // installDataDir may be empty: the prefix's share folder next to installBinDir is used.
    ProgramFolder(const QString &executableDir, const QString &installBinDir,
                  const QString &installDataDir, const QString &configHome);

    // The folder of this process, with the install dirs compiled in (none: never installed).
    static ProgramFolder forThisProgram();
    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    static QString configHomeFrom(const QString &xdgConfigHome, const QString &homeDir);

    bool isInstalled() const { return m_installed; }
    QString executableDir() const { return m_executableDir; }
    // Settings file, default card file, recent lists.
    QString userFolder() const { return m_userFolder; }
    // Help, sample card file.
    QString sharedFolder() const { return m_sharedFolder; }
    // Creates userFolder() when missing; false when it cannot be made.
    bool ensureUserFolder() const;
    // An installed copy's first start: the shipped sample becomes the default card file, so
    // the lists are not empty. Never overwrites, and does nothing once a settings file exists.
    bool seedSampleCardFile(const QString &exeBaseName) const;

private:
    QString m_executableDir;
    QString m_userFolder;
    QString m_sharedFolder;
    bool m_installed = false;
};
