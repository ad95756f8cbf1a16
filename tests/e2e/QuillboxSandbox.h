#pragma once
// Shared pieces of the whole-program tests: a fresh folder with a copy of the built Quillbox
// per test, and small wrappers around xdotool and xclip that drive the X server as a user.
#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace e2e {

// Starts a tool the tests drive the X server with; a tool that is not installed ends the
// test program with a message naming it.
void startTool(QProcess &p, const QString &program, const QStringList &args);
// Runs a program to its end (at most timeoutMs) and returns its standard output, trimmed.
QString run(const QString &program, const QStringList &args, int timeoutMs = 10000);
QString xdo(const QStringList &args);
// One key combination, e.g. "alt+Delete".
void key(const QString &combination);
// Several keys in a row; the delay gives the program time to react to each.
void keys(const QStringList &names, int delayMs = 150);
void activate(const QString &window);
// Ids of the visible windows whose name matches the pattern.
QStringList visibleWindows(const QString &namePattern);

// The clipboard's text exactly as xclip reads it.
QString clipboardText();
// Leaves an xclip owning the text; true once the clipboard reads it back.
bool setClipboardText(const QString &text);

// One card of a card file: title U+0001 group U+0001 body U+0001 in code page 932.
QByteArray card(const QString &title, const QString &group, const QString &body);
// Group 挨拶: 朝 "おはようございます", then 夜 "good night".
QByteArray greetingCards();

bool writeFile(const QString &path, const QByteArray &bytes);
QString readText(const QString &path); // UTF-8; empty when missing
// "key = value" from a code page 932 settings file with CR LF lines.
QString iniValue(const QString &file, const QString &key);

// The text editor stand-in (paste_target): a window that saves what is pasted into it.
class PasteTarget
{
public:
    ~PasteTarget() { stop(); }
    // Starts it and waits until its editor has the focus.
    bool start(const QString &program, const QString &outFile);
    QString window() const { return window_; }
    QString pasted() const { return readText(outFile_); }
    void stop();

private:
    QProcess p_;
    QString window_, outFile_;
};

// A private X server with a window manager and no tray host. It becomes this process's
// DISPLAY, so the tools above and every program started later use it, until it is destroyed.
class PrivateDisplay
{
public:
    PrivateDisplay();
    ~PrivateDisplay();
    bool isValid() const { return !display_.isEmpty(); }

private:
    QProcess server_, windowManager_;
    QByteArray display_, previous_;
};

// A copy of the built Quillbox in a fresh folder with its own runtime and config folders,
// so runs neither see each other's instance nor the user's settings. The destructor kills
// whatever the test started and left running.
class QuillboxSandbox
{
public:
    QuillboxSandbox();
    ~QuillboxSandbox();
    bool isValid() const { return valid_; }

    QString dir() const { return dir_.path(); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    QString exe() const { return path(QStringLiteral("Quillbox")); }
    QProcessEnvironment env() const;

    // Quillbox in the background, its standard error forwarded to ours.
    QProcess *start(const QStringList &args = {}, const QString &workingDir = {});
    // Any other program with the sandbox's environment.
    QProcess *startProcess(const QString &program, const QStringList &args);
    // `Quillbox <args>` to its end: the exit code, -1 after a crash or a 15 s timeout.
    int quillbox(const QStringList &args, QString *out = nullptr, QString *err = nullptr);
    // The id of the visible main window, or empty after 20 s.
    QString waitForWindow();
    // Whether the main window (this one, if given) is visible.
    bool windowVisible(const QString &window = {}) const;
    // What `Quillbox --print-history` reports; "<error>" when it fails or prints no array.
    QStringList history();
    // `--quit`, then p has to end normally with exit code 0.
    void quitAndWait(QProcess *p);

    bool writeCardFile(const QByteArray &cards); // QuillboxData.vlw, the default card file
    // Quillbox.ini in code page 932: "[General]" first, then lines, all ending in CR LF.
    bool writeSettings(const QStringList &lines);
    QString settingsText() const;
    QString setting(const QString &key) const;

private:
    QTemporaryDir dir_;
    bool valid_ = false;
    std::vector<std::unique_ptr<QProcess>> started_;
};

} // namespace e2e
