#pragma once
// The dictionary windows live in a plugin loaded on first use, so the program does not carry
// the embedded browser until a dictionary window is asked for. These types are all the two
// sides share.
#include "lookup/ServiceUrl.h"

#include <QString>
#include <QtPlugin>
#include <functional>

class QWidget;
class UserStore;

// What the dictionary windows get from the program that loads them.
struct DicHost {
    LookupSettings settings; // read at each use, so unsaved changes count
    UserStore *userStore = nullptr;
    QString productName; // section of the placement keys in the per-user store
    QString version;     // "major.minor.revision"
    // The clipboard's text with CR LF line breaks; empty when it holds none or a secret.
    std::function<QString()> clipboardText;
    std::function<void(const QString &)> setClipboardText;
    // Brings a window forward with the time stamp of the event that asked for it.
    std::function<void(QWidget *, unsigned long timestamp)> activateWindow;
};

// One open dictionary window; it deletes itself when closed.
class DicWindow
{
public:
    virtual ~DicWindow() = default;
    virtual QWidget *widget() = 0;
    // Selects service entry index (entry 0 when there is none such), puts the keyword in and
    // searches.
    virtual void search(int index, const QString &keyword) = 0;
    // The TV button.
    virtual void showTVProgramTable() = 0;
};

class DicPlugin
{
public:
    virtual ~DicPlugin() = default;
    virtual void setHost(const DicHost &host) = 0;
    // A new window, loaded and shown.
    virtual DicWindow *openWindow() = 0;
    // Closes every open window, each storing its placement.
    virtual void closeAll() = 0;
    virtual int openWindowCount() const = 0;
};

#define QuillboxDicPlugin_iid "org.quillbox.DicPlugin/1"
Q_DECLARE_INTERFACE(DicPlugin, QuillboxDicPlugin_iid)
