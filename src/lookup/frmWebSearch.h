#pragma once
// The web-search window: search words go to one engine, to every configured engine, or to
// the first-hit search; results open in the desktop's browser. One window, hidden on close.
#include "lookup/ServiceUrl.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class ShellService;

class frmWebSearch : public QWidget
{
    Q_OBJECT
public:
    // caption: "<product> Ver.<version>".
    frmWebSearch(ShellService &shell, LookupSettings settings, const QString &caption, QWidget *parent = nullptr);

    // Whether the text is opened as it is instead of searched (exact, case-sensitive).
    static bool IsAddress(const QString &text);
    // The local file or folder a text starting with "/" or "~/" names, opened as it is;
    // empty for any other text.
    static QString LocalPath(const QString &text);
    static constexpr int HistoryLimit = 29;

    void btnWebSearch_Click();
    void btnFeelingLucky_Click();
    // The real close at program exit; the close box only hides.
    void Unload();

    QLabel *Label1 = nullptr;
    QComboBox *cmbKeyWord = nullptr;
    QPushButton *btnWebSearch = nullptr;
    QPushButton *btnFeelingLucky = nullptr;
    QCheckBox *chkSearchMulti = nullptr;
    QCheckBox *chkClose = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Image1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void open(const QString &address);
    // The address of a setting (base) for the encoded words; refused unless a web address.
    void openService(const QString &key, const QString &base, const QString &encoded);
    void remember(const QString &words);
    void hideIfAsked();
    void fitHelpText();

    ShellService &shell_;
    LookupSettings settings_;
    bool unloading_ = false;
};
