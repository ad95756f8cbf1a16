#include "keycode/Form1.h"

#include "keycode/KeyTranslation.h"
#include "keycode/clsHotKeyCtrl.h"
#include "platform/desktop/ClipboardWatcher.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QShortcut>

namespace {

constexpr int kTwipsPerPixel = 15;

int px(int twips)
{
    return twips / kTwipsPerPixel;
}

win::LRESULT Form1Proc(win::HWND, win::UINT, win::WPARAM, win::LPARAM)
{
    return 0;
}

const char kLegend[] = " KeyMaskは正しく出ないことがあります。以下の表を参考にしてください。\n"
                       "\n"
                       "なし - 0\n"
                       "SHIFT - 1\n"
                       "Ctrl - 2\n"
                       "ALT - 4\n"
                       "WindowsKey - 8";

} // namespace

QString Form1Caption()
{
    return QStringLiteral("Tap Scope Ver.%1.%2.%3").arg(TAPSCOPE_VERSION_MAJOR).arg(TAPSCOPE_VERSION_MINOR).arg(TAPSCOPE_VERSION_REVISION);
}

Form1::Form1() : window_(this, &Form1Proc)
{
    // The design font does not exist here: the desktop's font, with a Japanese face for the kana.
    QFont face = font();
    face.setFamilies({face.family(), QStringLiteral("Noto Sans CJK JP")});
    setFont(face);

    btnTapscope = new QLabel(QStringLiteral("KeyCode 取得"), this);
    btnTapscope->setAlignment(Qt::AlignCenter);
    btnTapscope->setAccessibleName(QStringLiteral("KeyCode 取得"));
    // Reached with Tab from the field and pressed with Space or Enter, as a button is.
    btnTapscope->setFocusPolicy(Qt::TabFocus);
    btnTapscope->setCursor(Qt::PointingHandCursor);
    btnTapscope->installEventFilter(this);
    Label1 = new QLabel(QStringLiteral("上の入力欄で、ショートカットに割り当てたいキーを押し、「KeyCode 取得」してください。"), this);
    Label1->setWordWrap(true);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    Line1 = line;
    Label2 = new QLabel(QString::fromUtf8(kLegend), this);
    Label2->setWordWrap(true);
    layOut();
}

Form1::~Form1()
{
    Form_Unload();
}

void Form1::layOut()
{
    // The positions of the design; labels grow where this font needs more lines.
    const int width = px(3135);
    btnTapscope->setGeometry(px(1320), px(720), px(2055), qMax(px(255), btnTapscope->sizeHint().height()));
    const int label1Top = qMax(px(1200), btnTapscope->geometry().bottom() + 1 + px(225));
    Label1->setGeometry(px(180), label1Top, width, qMax(px(735), Label1->heightForWidth(width)));
    const int lineY = qMax(px(1920), Label1->geometry().bottom() + 1 + px(120));
    Line1->setGeometry(px(120), lineY - 1, px(3360) - px(120), 2);
    const int label2Top = lineY + px(240);
    Label2->setGeometry(px(240), label2Top, width, qMax(px(1575), Label2->heightForWidth(width)));
    setFixedSize(px(3525), qMax(px(3735), Label2->geometry().bottom() + 1 + px(120)));
}

void Form1::Form_Load()
{
    setWindowTitle(Form1Caption());
    mclsHotKey = std::make_unique<clsHotKeyCtrl>();
    mclsHotKey->mCreate(hwnd(), 10, 10, 20, 150);
    mclsHotKey->mSetFocus();
}

void Form1::btnTapscope_Click()
{
    const int keyCode = mclsHotKey ? mclsHotKey->pVirtualKey() : 0;
    const int keyMask = mclsHotKey ? mclsHotKey->pKeyFlag() : 0;
    const QString text = keycode::KeyCodeMessage(keyCode, keyMask);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tap Scope"), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    keepTitleWhole(box);
    // The numbers are there to be carried into a settings file: Ctrl+C copies them.
    auto *copy = new QShortcut(QKeySequence::Copy, &box);
    connect(copy, &QShortcut::activated, &box, [text] { ClipboardWatcher::WriteText(text); });
    box.exec();
    if (mclsHotKey)
        mclsHotKey->mSetFocus();
}

void Form1::keepTitleWhole(QMessageBox &box)
{
    // The box sizes itself to its text, narrower than the title bar needs for the title beside
    // the window manager's icon and buttons: a spacer row makes room for both.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int width = metrics.horizontalAdvance(box.windowTitle()) + 6 * metrics.height();
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

void Form1::btnTapscope_MouseDown()
{
    btnTapscope->setFrameStyle(QFrame::Box | QFrame::Plain);
    btnTapscope->setLineWidth(1);
}

void Form1::btnTapscope_MouseUp()
{
    btnTapscope->setFrameStyle(QFrame::NoFrame);
}

void Form1::Form_Unload()
{
    mclsHotKey.reset();
}

bool Form1::eventFilter(QObject *watched, QEvent *e)
{
    if (watched != btnTapscope)
        return QWidget::eventFilter(watched, e);
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnTapscope_Click();
            return true;
        }
    }
    if (e->type() == QEvent::MouseButtonPress) {
        btnTapscope_MouseDown();
        return true;
    }
    if (e->type() == QEvent::MouseButtonRelease) {
        btnTapscope_MouseUp();
        // A click is a press and a release over the label, as for a button.
        if (btnTapscope->rect().contains(static_cast<QMouseEvent *>(e)->position().toPoint()))
            btnTapscope_Click();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void Form1::closeEvent(QCloseEvent *e)
{
    Form_Unload();
    e->accept();
}
