#pragma once
// Which keys paste into a window. Terminal emulators read Ctrl+V as a control character,
// so windows whose class the user lists as a terminal get their own keys.
#include <QString>
#include <QStringList>

// The two settings keys, as read at the moment of pasting.
struct PasteRule {
    QString terminalClasses; // "TerminalWindowClasses": class names separated by commas
    QString terminalKeys;    // "TerminalPasteKeys": key names joined by "+"
};

QString DefaultTerminalClasses();
QString DefaultTerminalPasteKeys();

struct PasteChoice {
    bool terminal = false; // also put the text on the primary selection
    QStringList keys;      // pressed in this order, released in reverse: {"ctrl", "v"}
};

// windowClass holds the instance and class names of the window's WM_CLASS; either one
// may match a listed name, compared without letter case.
bool IsTerminalWindow(const QStringList &windowClass, const QString &terminalClasses);
PasteChoice ChoosePasteKeys(const QStringList &windowClass, const PasteRule &rule);

// The keysym of a key name as the settings file writes them: a modifier word ("ctrl", "shift",
// "alt", "super") or an X key name in any letter case ("Insert", "insert", "v"); 0 when unknown.
quint32 KeysymForKeyName(const QString &name);
