#pragma once
// The calculator bar: an editable box for the expression with its history, "=" and "×",
// and a pop-up menu. It calculates with one engine for its whole life and can copy the
// result and paste it into the window the user came from.
#include "calc/clsDCC.h"

#include <QVector>
#include <QWidget>
#include <functional>

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
struct ClipboardSnapshot;

struct CalcServices {
    // Puts text on the clipboard through the program's clipboard seam.
    std::function<void(const QString &)> setClipboardText;
    // After the bar hid: gives the focus back to the window the user came from and pastes.
    std::function<void()> pasteIntoPrevious;
};

class frmCalc : public QWidget
{
    Q_OBJECT
public:
    explicit frmCalc(const CalcServices &services, QWidget *parent = nullptr);

    // Calculation command 0 (calculate), 1 (and copy the result), 2 (and copy expression
    // and result).
    void MenuRightCalc_Click(int index);
    // The first line of the clipboard's text, blanks stripped, as the starting expression;
    // a secret or textless clipboard gives an empty box.
    void setExpressionFromClipboard(const ClipboardSnapshot &clip);

    clsDCC &engine() { return engine_; }
    // History, newest first.
    QStringList history() const;

    QComboBox *txtCalc = nullptr;
    QPushButton *btnCalc = nullptr;
    QPushButton *btnClose = nullptr;
    QMenu *MenuRightClick = nullptr;
    QVector<QAction *> MenuRightCalc;
    QAction *MenuRightPasteAfterCopy = nullptr;
    QAction *MenuRightSplit3 = nullptr;
    QAction *MenuRightExit = nullptr;

    static const QString SetSyntaxError; // "Error. 書式)set 変数=式"
    // The longest expression calculated. The engine itself stops at 32768 intermediate values
    // (a sum of ones reaches them at 65,535 characters); longer texts can only hold long
    // numbers or blanks, and one of this length still takes the engine a moment at most.
    static constexpr int MaxExpressionLength = 1 << 20;
    static const QString TooLongError;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenu();
    void Form_Resize();
    void popUpBelowBox();
    void allowLongExpressions();
    // Shows the refusal when text is longer than the bar calculates; true then.
    bool refuseTooLong(const QString &text);
    // The result or a failure in the box; a failure also as the box's tooltip.
    void showOutcome(const QString &text, bool failed);
    // The box text shown for a failed calculation.
    static QString failureText(qint32 code);

    CalcServices services_;
    clsDCC engine_;
};
