#pragma once
// What the main window needs from the desktop, handed in so tests can replace it.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;
class HotKeyService;
class ShellService;
class TrayIconService;
class UserStore;
class DesktopShortcutStore;
struct ClipboardSnapshot;

struct AppServices {
    // Puts text on the clipboard (CR LF becomes LF there).
    std::function<void(const QString &)> setClipboardText;
    // Remembers the window that has the focus before ours is shown.
    std::function<void()> rememberFocus;
    // After our window hid: gives the focus back to the remembered window and pastes.
    std::function<void()> pasteIntoPrevious;
    // What to do the first time a paste can only leave the text on the clipboard (no way to send
    // keys to that window on this desktop, or the user said no).
    std::function<void(std::function<void()> report)> setCopyOnlyReport;
    // Ctrl+C to the focused window unless it is ours; false when nothing was sent.
    std::function<bool()> copyFromFocused;
    // A left press and release at the pointer, by synthetic input.
    std::function<void()> clickLeftAtPointer;
    // Brings our window to the front with the timestamp of the event that asked for it.
    std::function<void(QWidget *, unsigned long timestamp)> activateWindow;
    // Starts a program with its arguments, never through a shell; false with the system's
    // description in *error.
    std::function<bool(const QString &program, const QStringList &args, QString *error)> startProgram;
    ShellService *shell = nullptr;
    UserStore *userStore = nullptr; // the per-user settings store; in memory when none

    // Global hot keys and the time stamp of the key event that fired last; none: no hot keys.
    HotKeyService *hotKeys = nullptr;
    std::function<unsigned long()> hotKeyEventTime;
    TrayIconService *tray = nullptr; // none: no tray icon
    // The desktop's own shortcut list (GNOME's); unset where shortcuts live in the compositor's
    // configuration file. None, with *error, when it cannot be opened.
    std::function<std::unique_ptr<DesktopShortcutStore>(QString *error)> openDesktopShortcuts;

    // The clipboard of the change being handled, read at most once per change.
    std::function<ClipboardSnapshot()> readClipboard;
    // The clipboard as it is now, for a command the user starts; unset: readClipboard.
    std::function<ClipboardSnapshot()> readClipboardNow;
    // Starts the click sound and returns at once.
    std::function<void(const QString &soundFile)> playSound;
};

struct AppPaths {
    QString programFolder;  // where the settings file, default card file and recent lists live
    QString exeBaseName;    // "Quillbox"
    QString sharedFolder;   // shipped files (help, sample card file)
    QString configHome;     // holds the update-notification tool's key tree; empty: no registration
};
