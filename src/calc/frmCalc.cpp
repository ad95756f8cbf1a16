#include "calc/frmCalc.h"

#include "calc/FullWidthFold.h"
#include "calc/NumberText.h"
#include "platform/ClipboardChain.h"
#include "util/Tool.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QWindow>

namespace {
// Design metrics in pixels (15 twips each).
constexpr int DesignWidth = 360;
constexpr int BoxLeft = 10;         // the strip left of the box is where the bar is dragged
constexpr int ButtonWidth = 26;
constexpr int CloseRightMargin = 7; // 100 twips
constexpr int ButtonsGap = 20;      // 300 twips between the box and the buttons' share
} // namespace

const QString frmCalc::SetSyntaxError = QStringLiteral("Error. 書式)set 変数=式");
const QString frmCalc::TooLongError = QStringLiteral("Error. 式が長すぎます(%1文字まで)").arg(frmCalc::MaxExpressionLength);

frmCalc::frmCalc(const CalcServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), services_(services)
{
    setObjectName(QStringLiteral("frmCalc"));
    setWindowTitle(QStringLiteral("電卓"));
    engine_.SetVariable(QStringLiteral("pi"), clsDCC::Pi);

    txtCalc = new QComboBox(this);
    txtCalc->setObjectName(QStringLiteral("txtCalc"));
    txtCalc->setEditable(true);
    // Only the commands add to the history.
    txtCalc->setInsertPolicy(QComboBox::NoInsert);
    txtCalc->setAccessibleName(QStringLiteral("計算式"));
    // Keys reach the box first and its line edit after it.
    txtCalc->installEventFilter(this);
    allowLongExpressions();

    btnCalc = new QPushButton(QStringLiteral("="), this);
    btnCalc->setObjectName(QStringLiteral("btnCalc"));
    btnCalc->setToolTip(QStringLiteral("右クリックでメニューを開きます(ALT+Enterに同じ)"));
    btnCalc->setAccessibleName(QStringLiteral("計算"));
    btnCalc->installEventFilter(this);
    btnClose = new QPushButton(QStringLiteral("×"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(QStringLiteral("閉じる"));
    // The keyboard stays in the box.
    for (QPushButton *button : {btnCalc, btnClose})
        button->setFocusPolicy(Qt::NoFocus);
    connect(btnCalc, &QPushButton::clicked, this, [this] { MenuRightCalc_Click(0); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::hide);

    auto *closeKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    connect(closeKey, &QShortcut::activated, this, &QWidget::hide);

    buildMenu();
    setFocusProxy(txtCalc);
    resize(DesignWidth, txtCalc->sizeHint().height());
    Form_Resize();
}

void frmCalc::buildMenu()
{
    MenuRightClick = new QMenu(QStringLiteral("右クリック"), this);
    MenuRightClick->setObjectName(QStringLiteral("MenuRightClick"));
    const QStringList captions = {QStringLiteral("計算する(&C)\tEnter"),
                                  QStringLiteral("計算し、結果をコピーする(&P)\tShift+Enter"),
                                  QStringLiteral("計算し、式と結果をコピーする(&I)\tCtrl+Enter")};
    for (int i = 0; i < captions.size(); ++i) {
        QAction *item = MenuRightClick->addAction(captions[i]);
        connect(item, &QAction::triggered, this, [this, i] { MenuRightCalc_Click(i); });
        MenuRightCalc.append(item);
    }
    MenuRightClick->addSeparator();
    MenuRightPasteAfterCopy = MenuRightClick->addAction(QStringLiteral("結果をコピー後貼付(&1)"));
    MenuRightSplit3 = MenuRightClick->addAction(QStringLiteral("コピー時にカンマを付加(&2)"));
    for (QAction *option : {MenuRightPasteAfterCopy, MenuRightSplit3}) {
        option->setCheckable(true);
        option->setChecked(true);
    }
    MenuRightClick->addSeparator();
    MenuRightExit = MenuRightClick->addAction(QStringLiteral("閉じる(&Q)"));
    connect(MenuRightExit, &QAction::triggered, this, &QWidget::hide);
}

void frmCalc::Form_Resize()
{
    // A bar as tall as the box; the buttons at the right edge, everything centred vertically.
    const int h = height();
    const int boxHeight = txtCalc->sizeHint().height();
    const int closeLeft = width() - CloseRightMargin - ButtonWidth;
    btnClose->setGeometry(closeLeft, (h - boxHeight) / 2, ButtonWidth, boxHeight);
    btnCalc->setGeometry(closeLeft - ButtonWidth, (h - boxHeight) / 2, ButtonWidth, boxHeight);
    txtCalc->setGeometry(BoxLeft, (h - boxHeight) / 2, width() - 2 * ButtonWidth - ButtonsGap - BoxLeft, boxHeight);
}

void frmCalc::resizeEvent(QResizeEvent *)
{
    Form_Resize();
}

void frmCalc::mousePressEvent(QMouseEvent *event)
{
    // No title bar: a press on the body moves the bar.
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
}

bool frmCalc::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == btnCalc && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton) {
        MenuRightClick->popup(QCursor::pos());
        return true;
    }
    if (watched == txtCalc && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (mods & Qt::ShiftModifier)
                MenuRightCalc_Click(1);
            else if (mods & Qt::ControlModifier)
                MenuRightCalc_Click(2);
            else if (mods & Qt::AltModifier)
                popUpBelowBox();
            else
                MenuRightCalc_Click(0);
            return true;
        }
        // Most window managers take Alt+Space for their own menu before it gets here.
        if (key->key() == Qt::Key_Space && (mods & Qt::AltModifier)) {
            popUpBelowBox();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmCalc::popUpBelowBox()
{
    MenuRightClick->popup(txtCalc->mapToGlobal(QPoint(0, txtCalc->height())));
}

void frmCalc::setExpressionFromClipboard(const ClipboardSnapshot &clip)
{
    const QString text = clip.secret ? QString() : clip.text;
    txtCalc->setEditText(NumberText::trimBlanks(Tool::GetFirstLine(text)).toString());
}

QStringList frmCalc::history() const
{
    QStringList items;
    for (int i = 0; i < txtCalc->count(); ++i)
        items.append(txtCalc->itemText(i));
    return items;
}

void frmCalc::MenuRightCalc_Click(int index)
{
    // Typed with the input method on, "１２３＋４５" is still 123+45.
    QString text = FoldFullWidth(txtCalc->currentText());
    const bool clear = text.toLower() == QStringLiteral("clear");
    if (clear)
        engine_.ClearVariable();

    QString name;
    bool setsVariable = false;
    if (text.left(4).toLower() == QStringLiteral("set ")) {
        if (!text.contains(u'=')) {
            showOutcome(SetSyntaxError, true);
            return;
        }
        const QStringList pieces = text.mid(4).split(u'=');
        name = NumberText::trimBlanks(pieces[0]).toString();
        setsVariable = true;
        text = pieces[1];
    }
    text.remove(u',');
    txtCalc->setEditText(text);
    if (refuseTooLong(text))
        return;

    // A failure keeps "n" and the variable as they were and is shown as such, never as 0;
    // "clear" is no failure: it leaves 0 behind.
    double result = 0;
    const qint32 code = clear ? 0 : engine_.Calculate(text, result);
    if (code == 0) {
        engine_.SetVariable(QStringLiteral("n"), result);
        if (setsVariable)
            engine_.SetVariable(name, result);
    }
    txtCalc->insertItem(0, text);

    const QString shown = MenuRightSplit3->isChecked() ? NumberText::grouped(result) : NumberText::plain(result);
    // The outcome goes into the box before the paste: the paste serves the event loop, and the
    // hot key pressed again meanwhile puts the next expression there, which must stay.
    showOutcome(code == 0 ? shown : failureText(code), code != 0);
    txtCalc->lineEdit()->selectAll();
    if (code == 0 && (index == 1 || index == 2)) {
        if (services_.setClipboardText)
            services_.setClipboardText(index == 1 ? shown : text + u'=' + shown);
        if (MenuRightPasteAfterCopy->isChecked()) {
            hide();
            if (services_.pasteIntoPrevious)
                services_.pasteIntoPrevious();
        }
    }
}

void frmCalc::allowLongExpressions()
{
    // One more than the longest expression taken: a text that fills the box may have lost its
    // end to the limit, and is refused rather than calculated cut.
    txtCalc->lineEdit()->setMaxLength(MaxExpressionLength + 1);
}

bool frmCalc::refuseTooLong(const QString &text)
{
    if (text.size() <= MaxExpressionLength)
        return false;
    showOutcome(TooLongError, true);
    txtCalc->lineEdit()->selectAll();
    return true;
}

void frmCalc::showOutcome(const QString &text, bool failed)
{
    txtCalc->setEditText(text);
    // The bar is narrow: a failure's whole reason stays readable as the box's tooltip.
    txtCalc->setToolTip(failed ? text : QString());
}

QString frmCalc::failureText(qint32 code)
{
    QString reason;
    switch (code) {
    case clsDCC::ErrZeroPowerZero: reason = QStringLiteral("0の0乗は計算できません"); break;
    case clsDCC::ErrParenCount: reason = QStringLiteral("括弧の数が合いません"); break;
    case clsDCC::ErrEmptyParen: reason = QStringLiteral("括弧の中が空です"); break;
    case clsDCC::ErrOperator: reason = QStringLiteral("演算子の位置が正しくありません"); break;
    case clsDCC::ErrUnknownFunction: reason = QStringLiteral("関数名が正しくありません"); break;
    case clsDCC::ErrFunctionDomain: reason = QStringLiteral("関数の引数が範囲外です"); break;
    case clsDCC::ErrUnknownName: reason = QStringLiteral("変数が定義されていません"); break;
    case clsDCC::ErrStructure: reason = QStringLiteral("式の形が正しくありません"); break;
    case clsDCC::ErrOverflow: reason = QStringLiteral("桁あふれです"); break;
    case clsDCC::ErrDivisionByZero: reason = QStringLiteral("0で割ることはできません"); break;
    case clsDCC::ErrInvalidOperation: reason = QStringLiteral("計算できない演算です"); break;
    case clsDCC::ErrIntegerRange: reason = QStringLiteral("整数除算の値が範囲外です"); break;
    default: reason = QStringLiteral("計算できません"); break;
    }
    return QStringLiteral("Error. 0x%1 %2").arg(quint32(code), 8, 16, QLatin1Char('0')).arg(reason);
}
