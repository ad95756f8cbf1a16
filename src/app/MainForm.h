#pragma once
// The main window: group and item lists, preview, context menu, copy and paste,
// start-up and shutdown. Handlers carry the names of the events they stand for.
#include "app/AppServices.h"
#include "app/MemoFileWatch.h"
#include "memo/MemoTable.h"
#include "calc/frmCalc.h"
#include "clipboard/ClipHistory.h"
#include "memo/SnippetFinder.h"
#include "platform/UserStore.h"
#include "platform/WinWindow.h"
#include "winmsg/clsHotKey.h"
#include "winmsg/clsSysTray.h"
#include "settings/iniMente.h"

#include <QColor>
#include <QMargins>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <memory>

class DicLoader;
class DicPlugin;
class frmWebSearch;
struct LookupSettings;
class QAction;
class QEventLoop;
class QInputMethodEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QTimer;

class MainForm : public QWidget
{
    Q_OBJECT
public:
    MainForm(const AppPaths &paths, const AppServices &services, QWidget *parent = nullptr);
    ~MainForm() override;

    // The start-up sequence after the single-instance check; commandLine is the one
    // non-option argument (empty when none).
    void Form_Load(const QString &commandLine);
    // Any real exit: ends nested loops first, then runs the shutdown sequence once.
    void requestExit();
    bool isShutDown() const { return shutDown_; }

    // Shows the lists with the focus on the group list, as the "PopUp" hot key does.
    void PopUpLists(unsigned long timestamp = 0);
    // Acts as the named hot key; false for a name that is none.
    bool RunHotKeyAction(const QString &name, unsigned long timestamp = 0);
    static bool IsHotKeyActionName(const QString &name);

    // A second start hands its command line over: a settings file other than ours, or a card
    // file that cannot be used, is refused with a line for that start's standard error.
    bool CanTakeOverStart(const QString &commandLine, QString *message) const;
    // The card file named becomes the card file, as the recent-file command makes it; then the
    // lists show as the "PopUp" hot key shows them.
    void TakeOverStart(const QString &commandLine);

    win::HWND hwnd() const { return hwnd_; }
    QString settingsFilePath() const { return settingsFile_; }

    // Handlers and commands.
    void MenuReloadItem_Click();
    void MenuCopy_Click(int index);
    void MenuDefaultCopyMode_Click(int index);
    void MenuMinimize_Click(int index);
    void LstGroupName_Click();
    void LstItemName_Click();
    void LstItemName_DblClick();
    void TmrCloseTimer_Timer();
    void BtnClosePreview_Click();
    void MenuExit_Click();

    // Card file watch, the editor and the two recent-file lists.
    void tmrMemoFileCheck_Timer();
    void MenuEditMemo_Click();
    void MenuChangeEditor_Click();
    void MenuChangeMemoFile_Click();
    void MenuFileRecent_Click(int index);
    void MenuFileRecentVLM_Click(int index);
    void MenuTitle2_Click();
    QTimer *tmrMemoFileCheck = nullptr;

    // Clipboard history.
    void ChangeClipBoard();
    void MenuClipEnable_Click();
    void MenuClipBeepEnable_Click();
    void MenuClipBeepChangeFile_Click();

    // Hot keys, tray icon and what they do.
    void clsHotKey_HotKey(const QString &key, unsigned long timestamp = 0);
    void clstray_MouseDown(int Button);
    void MenuExtAPP_Click();
    void MenuSetExtApp_Click();
    void MenuDesktopShortcuts_Click();
    void MenuAlwaysOnTop_Click();
    void MenuChangePreviewTime_Click();
    void MenuChangeTVProgramTableURL_Click();
    void MenuDispHelp_Click();
    void MenuOptionBackColor_Click(int index);
    void MenuOptionFont_Click();
    void MenuVerInfo_Click();
    clsHotKey *hotKeys() const { return hotKey_.get(); }

    // The calculator bar, opened with the first line of the clipboard.
    void MenuCalc_Click(unsigned long timestamp = 0);
    frmCalc *calcWindow() const { return calc_.get(); }
    // Dictionary and web-search windows; the time stamp is that of the click or hot key.
    void MenuDicOpen_Click(int index, unsigned long timestamp = 0);
    void MenuDicOpenOnly_Click(unsigned long timestamp = 0);
    void MenuDicTV_Click(unsigned long timestamp = 0);
    void MenuDicAutoCopy_Click();
    void MenuWebSearch_Click(int index, unsigned long timestamp = 0);
    void PopUpWebSearch(unsigned long timestamp = 0);
    frmWebSearch *webSearchWindow(); // created on first use

    // Finding an item by typing part of its name or text, across all groups.
    void MenuFind_Click();

    iniMente iniData;
    ::MemoGroups MemoGroups;
    bool SelfCopyFlag = false;
    bool ClockShowing = false;

    QListWidget *LstGroupName = nullptr;
    QListWidget *LstItemName = nullptr;
    QPlainTextEdit *TxtPreview = nullptr;
    QLabel *BtnClosePreview = nullptr;
    QLabel *Label1 = nullptr;
    QTimer *TmrCloseTimer = nullptr;
    QLineEdit *txtReplace = nullptr;
    QLineEdit *txtFind = nullptr;

    QMenu *MenuRightClick = nullptr; // the pop-up menu itself
    QVector<QAction *> MenuCopy;
    QVector<QAction *> MenuDefaultCopyMode;
    QVector<QAction *> MenuMinimize;
    QVector<QAction *> MenuOptionBackColor;
    QVector<QAction *> MenuDicOpen;
    QVector<QAction *> MenuWebSearch;
    QVector<QAction *> MenuFileRecent;
    QVector<QAction *> MenuFileRecentVLM;
    QAction *MenuEditMemo = nullptr, *MenuReloadItem = nullptr, *MenuExtAPP = nullptr;
    QAction *MenuAlwaysOnTop = nullptr, *MenuOptionFont = nullptr;
    QAction *MenuClipEnable = nullptr, *MenuClipBeepEnable = nullptr, *MenuClipBeepChangeFile = nullptr;
    QAction *MenuChangeMemoFile = nullptr, *MenuChangeEditor = nullptr, *MenuChangePreviewTime = nullptr;
    QAction *MenuSetExtApp = nullptr, *MenuChangeTVProgramTableURL = nullptr, *MenuDicAutoCopy = nullptr;
    QAction *MenuDesktopShortcuts = nullptr;
    QAction *MenuDispHelp = nullptr, *MenuVerInfo = nullptr, *MenuExit = nullptr;
    QAction *MenuDicOpenOnly = nullptr, *MenuDicTV = nullptr, *MenuCalc = nullptr;
    QAction *MenuTitle1 = nullptr, *MenuTitle2 = nullptr;
    QAction *MenuFind = nullptr;

    // The selected line of a list, -1 when none.
    static int ListIndex(const QListWidget *list);

    QColor activeColor() const { return activeColor_; }
    QColor inactiveColor() const { return inactiveColor_; }

Q_SIGNALS:
    void shutdownFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    static win::LRESULT DefWindowProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM);

    void buildControls();
    void buildMenu();
    void ApplySettings();
    void LoadCalcWindow();
    void UnloadCalcWindow();
    void Form_Resize();
    void shutdown();
    // Runs the shutdown once every nested loop has ended; until then it looks again shortly.
    void finishExit();
    // A file that kept its old contents is worth a line on standard error.
    static void reportIfNotSaved(bool saved, const iniMente &document);
    void showPreviewFor(int group, int item);
    void showWindowRemembering();
    void writeClipboard(const QString &text);
    void endReplacementInput();
    void afterCopy();
    bool Form_KeyPress(QKeyEvent *event);
    bool listKeyPress(QListWidget *list, QKeyEvent *event);
    void LstItemName_MouseDown(Qt::MouseButton button);
    void openContextMenuFromKeyboard();
    QPoint keyboardMenuPosition() const;
    // Moves the window, and if need be shortens its lists, to keep it inside its screen.
    void keepOnScreen();
    static void FillList(QListWidget *list, const QStringList &names);
    void enableCopyEntries();
    // Lists and preview: inactive background (active for the focused one), and the text colour
    // when one is given.
    void setControlColors(const QColor *text);
    // Lists and preview: family when not empty, point size when above 0.
    void setControlFont(const QString &family, double pointSize);
    void storePlacement();
    bool alwaysOnTopSetting() const;
    // A message box with the OK button only and no icon.
    static void PlainMessage(QWidget *parent, const QString &text);
    void restorePlacement();
    int frameExtraHeight() const;
    void applyPendingPlacement();
    void setClientHeight(int height);
    // Makes path the card file and shows it, unless it is named like the program.
    bool SwitchMemoFile(const QString &path);
    void LoadRecentLists();
    void AddRecentFile(const QString &path, iniMente &list);
    void FillRecentMenu(const QVector<QAction *> &items, iniMente &list, bool plainCaptions);
    void connectMemoFileCommands();
    void connectClipboardCommands();
    // A problem (of the history store, of a paste) in a tray balloon, or on standard error without one.
    static void showTrayMessage(const QPointer<MainForm> &self, const QString &text);
    void connectHotKeyCommands();
    void connectOptionCommands();
    void RegisterUpdateChecker();
    void RegisterHotKeys();
    void CreateTrayIcon();
    // Without a notification area the user is told once how the lists come back; until then
    // nothing but the user hides the window.
    void watchForTrayArea();
    void showNoTrayHint();
    void hideUnlessUnreachable();
    bool namedLikeProgram(const QString &path) const;
    void ReleaseHotKeysAndTray();
    void StartClipMonitor();
    void StopClipMonitor();
    void PopUpMenu(unsigned long timestamp);
    void PopUpClock();
    void PopUpHistory();
    bool afterCopyHides() const;
    bool startEditorProgram(const QStringList &args, QString *error);
    void connectLookupCommands();
    LookupSettings lookupSettings();
    QString clipboardKeyword() const;
    ClipboardSnapshot clipboardNow() const;
    void copySelectionFirst(); // when "MenuDicAutoCopy" is checked
    void bringForward(QWidget *window, unsigned long timestamp);
    DicPlugin *dicPlugin(); // loaded on first use; nullptr after telling the user why not
    void UnloadLookupWindows();
    void connectFindCommands();
    bool finding() const;
    // Lays the find field out at the top while it is open; returns where the lists begin.
    int placeFindField(int width);
    void txtFind_Change();
    bool txtFind_KeyDown(QKeyEvent *event);
    void txtFind_InputMethod(const QInputMethodEvent *event);
    void showFoundItem(); // the item list's click while it holds hits
    // Ends the find with the selected hit chosen in the lists, as if picked there; false when
    // no hit is selected.
    bool leaveFindAtSelected();
    void cancelFind(); // back to the lists as they were
    void endFind();
    // The memo table was rebuilt (reloaded) or only its history groups changed.
    void FindTableChanged(bool reloaded);
    void updateFindIndex();

    AppPaths paths_;
    AppServices services_;
    win::HWND hwnd_ = 0;
    QString settingsFile_;

    QColor activeColor_;
    QColor inactiveColor_;
    // Height without the preview, in pixels. Kept for the client area: the frame's share is
    // known only once the window manager has framed the window.
    int baseHeight_ = 0;
    int previewHeight_ = 150;
    bool replacementDone_ = false;
    QEventLoop *replaceLoop_ = nullptr;
    bool exitRequested_ = false;
    bool shutDown_ = false;
    bool trayHintPending_ = false;
    int pendingSyntheticClicks_ = 0;
    QSize ownSize_;
    QRect pendingOuterGeometry_;

    MemoryUserStore memoryStore_; // used when no per-user store was handed in
    std::unique_ptr<ClipHistory> clipHistory_;
    std::unique_ptr<clsHotKey> hotKey_;
    std::unique_ptr<clsSysTray> clstray;
    std::unique_ptr<frmCalc> calc_; // without an owner: hiding the main window must not take it along

    iniMente recentMemoList_;   // "RecentVLW.ini" in the program's folder
    iniMente recentEditorList_; // the editor's "Recent.ini"
    MemoFileWatch memoWatch_;   // the check timer's two stamps
    std::unique_ptr<frmWebSearch> webSearch_;
    std::unique_ptr<DicLoader> dicLoader_;

    SnippetFinder finder_;
    enum class FindIndex { Current, HistoryChanged, Stale } findIndex_ = FindIndex::Stale;
    QVector<SnippetFinder::Hit> findHits_;
    QString findPreedit_;     // what the input method is composing, searched with the field
    QString findShownQuery_;  // the query whose hits the item list shows
    struct ListsBeforeFind {
        int group = -1, item = -1;
        int groupScroll = 0, itemScroll = 0;
        QPointer<QWidget> focus;
        QString previewText;
        bool previewHidden = true;
        Qt::FocusPolicy itemFocusPolicy = Qt::StrongFocus;
    } beforeFind_;
};
