#pragma once
// The program's command line: options for scripts, or the one path the program takes.
#include <QString>

struct CommandLine {
    enum Mode { Resident, Version, Help, PrintMemo, PrintHistory, Quit, HotKey, Autostart, DesktopShortcuts, Calc, Usage };
    Mode mode = Resident;
    // Card or settings file (Resident), card file (PrintMemo), hot-key name (HotKey),
    // "on", "off" or empty (Autostart, DesktopShortcuts), expression (Calc).
    QString file;
    bool degrees = false; // Calc: angles in degrees
    QString error; // for Usage
};

CommandLine ParseCommandLine(int argc, const char *const *argv);
// The path a resident start's command line names when, taken whole as a path, it has the
// extension (compared in lower case); enclosing spaces and quotes removed. Empty otherwise.
QString CommandLineFile(const QString &commandLine, const QString &extension);
// Every option with one line of explanation, for --help and after a usage error.
QString UsageText();
// "major.minor.revision" of this build, and the caption "Quillbox with VLM Ver.x.y.z".
QString VersionText();
QString ProductName(); // "Quillbox with VLM"
QString MainFormCaption();
