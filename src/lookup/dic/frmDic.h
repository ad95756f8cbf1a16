#pragma once
// A dictionary window: a keyword, a service list and the result page in an embedded browser.
// Any number can be open; each stores its placement in the per-user store when it closes.
#include "lookup/DicPlugin.h"

#include <QRect>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWebEngineView;

class frmDic : public QWidget, public DicWindow
{
    Q_OBJECT
public:
    // openAnother: what the "new window" button does.
    frmDic(const DicHost &host, std::function<void()> openAnother);

    QWidget *widget() override { return this; }
    void search(int index, const QString &keyword) override;
    void showTVProgramTable() override;

    void btnSearch_Click();
    void btnTV_Click();

    QLabel *lblKeyWord = nullptr;
    QLineEdit *txtKeyword = nullptr;
    QWidget *picToolBox = nullptr;
    QComboBox *cmbDic = nullptr;
    QPushButton *btnSearch = nullptr, *btnTV = nullptr, *btnNew = nullptr, *btnClose = nullptr;
    QWebEngineView *Browser = nullptr;
    QLineEdit *txtURL = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_Resize();
    void Browser_LoadFinished(bool ok);
    void Escape_Pressed();
    void noteCutKeyword();
    QString stored(const QString &key) const;
    void restorePlacement();
    void applyPendingPlacement();
    void trackNormalPlacement();
    void storePlacement();

    DicHost host_;
    std::function<void()> openAnother_;
    // The outer frame wanted from the store, applied once the window manager has framed us,
    // then the state to take after it.
    QRect pendingOuter_;
    Qt::WindowStates pendingState_ = Qt::WindowNoState;
    bool pending_ = false;
    QRect normalOuter_; // outer frame in the normal state, kept for the store
    bool keywordCutNoted_ = false; // the keyword fills the box and the user was told
    bool escClosesList_ = false;   // this Esc was meant for the dropped-down service list
};
