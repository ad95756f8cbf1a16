#pragma once
// The program's command line: options for scripts, or the one path the program takes.
#include <QString>

struct CommandLine {
    enum Mode { Resident, Version, PrintMemo, PrintHistory, Quit, HotKey, Usage };
    Mode mode = Resident;
    QString file;  // card or settings file (Resident), card file (PrintMemo), hot-key name (HotKey)
    QString error; // for Usage
};

CommandLine ParseCommandLine(int argc, const char *const *argv);
// "major.minor.revision" of this build, and the caption "Quillbox with VLM Ver.x.y.z".
QString VersionText();
QString ProductName(); // "Quillbox with VLM"
QString MainFormCaption();
