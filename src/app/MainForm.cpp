#include "app/MainForm.h"

#include "platform/AppIds.h"
#include "util/OuterFrame.h"
#include "platform/desktop/ProgramIcon.h"
#include "app/ListRules.h"
#include "lookup/DicLoader.h"
#include "lookup/frmWebSearch.h"
#include "util/ScreenFit.h"
#include "util/Tool.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDragEnterEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>
#include <QWindow>

namespace {
// Design metrics in pixels (15 twips each).
constexpr int DesignWidth = 480;
constexpr int DesignHeight = 340; // 5100 twips, also the fall-back base height
constexpr int CloseButtonWidth = 18;
constexpr int CloseButtonHeight = 60;
constexpr int SyntheticClickWaitMs = 200;

// Rows only as wide as the list: a longer label then ends in "…" instead of running out of view.
class ListWidthDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(1);
        return size;
    }
};
} // namespace

MainForm::MainForm(const AppPaths &paths, const AppServices &services, QWidget *parent)
    : QWidget(parent), paths_(paths), services_(services)
{
    setObjectName(QStringLiteral("MainForm"));
    hwnd_ = win::CreateWindowHandle(&MainForm::DefWindowProc, this);
    setAcceptDrops(true);
    buildControls();
    buildMenu();
    tmrMemoFileCheck = new QTimer(this);
    tmrMemoFileCheck->setObjectName(QStringLiteral("tmrMemoFileCheck"));
    connect(tmrMemoFileCheck, &QTimer::timeout, this, &MainForm::tmrMemoFileCheck_Timer);
    connectMemoFileCommands();
    connectClipboardCommands();
    connectHotKeyCommands();
    connectOptionCommands();
    connectLookupCommands();
    connectFindCommands();
    setWindowIcon(ProgramIcon(AppIds::quillbox()));
    resize(DesignWidth, DesignHeight);
    baseHeight_ = DesignHeight;
}

MainForm::~MainForm()
{
    win::DestroyWindowHandle(hwnd_);
}

win::LRESULT MainForm::DefWindowProc(win::HWND, win::UINT, win::WPARAM, win::LPARAM)
{
    return 0;
}

void MainForm::buildControls()
{
    LstGroupName = new QListWidget(this);
    LstGroupName->setObjectName(QStringLiteral("LstGroupName"));
    LstItemName = new QListWidget(this);
    LstItemName->setObjectName(QStringLiteral("LstItemName"));
    for (QListWidget *list : {LstGroupName, LstItemName}) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setContextMenuPolicy(Qt::NoContextMenu);
        list->setItemDelegate(new ListWidthDelegate(list));
        list->setTextElideMode(Qt::ElideRight);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }
    connect(LstGroupName, &QListWidget::itemSelectionChanged, this, [this] { LstGroupName_Click(); });
    connect(LstItemName, &QListWidget::itemSelectionChanged, this, [this] { LstItemName_Click(); });
    connect(LstItemName, &QListWidget::itemDoubleClicked, this, [this] { LstItemName_DblClick(); });

    TxtPreview = new QPlainTextEdit(this);
    TxtPreview->setObjectName(QStringLiteral("TxtPreview"));
    TxtPreview->setReadOnly(true);
    TxtPreview->hide();
    TxtPreview->installEventFilter(this);
    TxtPreview->viewport()->installEventFilter(this);

    BtnClosePreview = new QLabel(QStringLiteral("閉\r\nじ\r\nる").replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
    BtnClosePreview->setObjectName(QStringLiteral("BtnClosePreview"));
    BtnClosePreview->setAlignment(Qt::AlignCenter);
    BtnClosePreview->setCursor(Qt::PointingHandCursor);
    BtnClosePreview->resize(CloseButtonWidth, CloseButtonHeight);
    BtnClosePreview->hide();
    BtnClosePreview->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("→"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->resize(CloseButtonWidth, 20);

    TmrCloseTimer = new QTimer(this);
    TmrCloseTimer->setObjectName(QStringLiteral("TmrCloseTimer"));
    connect(TmrCloseTimer, &QTimer::timeout, this, &MainForm::TmrCloseTimer_Timer);

    txtReplace = new QLineEdit(this);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));
    txtReplace->setPlaceholderText(QStringLiteral("「%1」に入れる文字 — Enter でコピー、Esc で中止"));
    txtReplace->hide();
    txtReplace->installEventFilter(this);

    // Screen readers name the controls by these; the letter labels alone say nothing.
    LstGroupName->setAccessibleName(QStringLiteral("グループ"));
    LstItemName->setAccessibleName(QStringLiteral("項目"));
    TxtPreview->setAccessibleName(QStringLiteral("プレビュー"));
    BtnClosePreview->setAccessibleName(QStringLiteral("プレビューを閉じる"));
    txtReplace->setAccessibleName(QStringLiteral("「%1」に入れる文字"));

    // Japanese text needs a CJK face when the settings name no font.
    for (const QString &family : {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans Mono CJK JP")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont f = font();
            f.setFamily(family);
            setFont(f);
            break;
        }
    }
}

// ---- Lists -------------------------------------------------------------------------

void MainForm::LstGroupName_Click()
{
    if (finding())
        return; // the group list only shows where the selected hit comes from
    const int g = ListIndex(LstGroupName);
    if (g < 0 || g >= MemoGroups.size())
        return;
    FillList(LstItemName, MemoGroups[g].ItemNames);
}

void MainForm::FillList(QListWidget *list, const QStringList &names)
{
    list->clear();
    for (int i = 0; i < names.size(); ++i) {
        auto *item = new QListWidgetItem(ListLabel(i, names[i]), list);
        item->setToolTip(item->text()); // the whole label, also where the row cuts it
    }
    // Nothing current either: the first arrow key selects the first line, and Enter copies
    // only what the list shows selected.
    list->setCurrentIndex(QModelIndex());
    list->scrollToTop();
}

void MainForm::LstItemName_Click()
{
    if (finding()) {
        showFoundItem();
        return;
    }
    const int g = ListIndex(LstGroupName);
    const int j = ListIndex(LstItemName);
    if (g < 0 || g >= MemoGroups.size() || j < 0 || j >= MemoGroups[g].ItemNames.size())
        return;
    showPreviewFor(g, j);
}

void MainForm::showPreviewFor(int g, int j)
{
    const QString closeTime = iniData.GetiniValue(QStringLiteral("PreviewCloseTime"));
    const qint64 t = LeadingNumber(closeTime);
    if (!(t > 100 || t == 0))
        return;
    TxtPreview->setPlainText(MemoGroups[g].ItemNames[j] + QStringLiteral("\n------------\n")
                             + QString(MemoGroups[g].ItemTexts[j]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (!isVisible())
        return;
    TxtPreview->show();
    setClientHeight(baseHeight_ + previewHeight_);
    keepOnScreen();
    if (!closeTime.isEmpty()) {
        // A value that is no number never auto-closes.
        TmrCloseTimer->setInterval(int(qMin<qint64>(t, std::numeric_limits<int>::max())));
        TmrCloseTimer->stop();
        if (t > 0)
            TmrCloseTimer->start();
    }
    BtnClosePreview->show();
}

void MainForm::keepOnScreen()
{
    const QScreen *s = screen();
    if (!s)
        return;
    const QRect frame = OuterGeometry(this);
    const QRect fit = KeepInside(frame, s->availableGeometry());
    if (fit == frame)
        return;
    // Moved up as far as it goes; what is still too tall comes off the lists.
    if (fit.height() < frame.height())
        setClientHeight(height() - (frame.height() - fit.height()));
    move(fit.topLeft());
}

void MainForm::LstItemName_DblClick()
{
    for (int i = 0; i < MenuDefaultCopyMode.size(); ++i) {
        if (MenuDefaultCopyMode[i]->isChecked()) {
            MenuCopy_Click(i);
            return;
        }
    }
}

void MainForm::TmrCloseTimer_Timer()
{
    BtnClosePreview->hide();
    TxtPreview->hide();
    TmrCloseTimer->stop();
    setClientHeight(baseHeight_ > 0 ? baseHeight_ : DesignHeight - frameExtraHeight());
}

void MainForm::BtnClosePreview_Click()
{
    TmrCloseTimer_Timer();
}

// ---- Layout --------------------------------------------------------------------------

int MainForm::ListIndex(const QListWidget *list)
{
    // The selected line, as the lists' selection index: a focused list without a selected
    // line has a current row but no selection.
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

int MainForm::frameExtraHeight() const
{
    const QMargins m = OuterFrameMargins(this);
    return m.top() + m.bottom();
}

void MainForm::applyPendingPlacement()
{
    // The stored placement is the outer frame's; the client size is known once framed.
    const QMargins m = OuterFrameMargins(this);
    if (!pendingOuterGeometry_.isValid() || m.isNull() || !isVisible())
        return;
    const QRect outer = pendingOuterGeometry_;
    pendingOuterGeometry_ = QRect();
    move(outer.topLeft());
    resize(outer.width() - m.left() - m.right(), outer.height() - m.top() - m.bottom());
}

void MainForm::setClientHeight(int height)
{
    ownSize_ = QSize(width(), qMax(1, height));
    resize(ownSize_);
    Form_Resize();
}

void MainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyPendingPlacement();
    // Our own resizes reach us late from the window manager; only the user's stop the timer.
    if (event->size() != ownSize_)
        TmrCloseTimer->stop();
    Form_Resize();
}

void MainForm::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    applyPendingPlacement();
}

void MainForm::Form_Resize()
{
    // Whether the preview is open, also while the window is hidden.
    const bool preview = !TxtPreview->isHidden();
    const double W = width();
    const int H = height() - (preview ? previewHeight_ : 0);
    const int top = placeFindField(int(W));

    // The window manager answers late: sizes that reach a hidden window are echoes of earlier
    // requests, not the user's, and must not become the base height.
    if (!isHidden())
        baseHeight_ = H;

    const int bw = BtnClosePreview->width();
    const double column = 0.45 * W;
    if (column - bw > 0) {
        LstGroupName->setGeometry(0, LstGroupName->y(), int(column - bw), LstGroupName->height());
        LstItemName->setGeometry(int(column), LstItemName->y(), int(W - column), LstItemName->height());
        Label1->move(int(column - bw), Label1->y());
        BtnClosePreview->move(int(column - bw), BtnClosePreview->y());
        TxtPreview->setGeometry(TxtPreview->x(), TxtPreview->y(), int(W), previewHeight_);
    }
    const int bh = BtnClosePreview->height();
    if (H - bh > 0) {
        LstGroupName->setGeometry(LstGroupName->x(), top, LstGroupName->width(), H - top);
        LstItemName->setGeometry(LstItemName->x(), top, LstItemName->width(), H - top);
        Label1->move(Label1->x(), (H - Label1->height()) / 2);
        BtnClosePreview->move(BtnClosePreview->x(), H - bh);
        TxtPreview->move(0, H);
    }
}

// ---- Keys ----------------------------------------------------------------------------

bool MainForm::Form_KeyPress(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_W && (event->modifiers() & Qt::ControlModifier)) {
        hide();
        return true;
    }
    if ((enter || event->key() == Qt::Key_Escape) && txtReplace->isVisible()) {
        replacementDone_ = enter; // Esc cancels: nothing is copied or pasted
        if (replaceLoop_)
            replaceLoop_->quit();
        return true;
    }
    if (event->matches(QKeySequence::Find) && !txtReplace->isVisible()) {
        MenuFind_Click();
        return true;
    }
    if (event->key() == Qt::Key_Space && !txtReplace->isVisible() && !finding()) {
        openContextMenuFromKeyboard();
        return true;
    }
    return false;
}

bool MainForm::listKeyPress(QListWidget *list, QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->key() == Qt::Key_Escape) {
        if (list == LstGroupName)
            hide();
        else
            LstGroupName->setFocus();
        return true;
    }
    if (enter) {
        if (list == LstGroupName)
            LstItemName->setFocus();
        else
            LstItemName_DblClick();
        return true;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int index = event->text().size() == 1 ? LetterIndex(event->text()[0]) : -1;
    if (index < 0)
        return false;
    if (index < list->count()) {
        list->setCurrentRow(index);
        if (list == LstGroupName)
            LstItemName->setFocus();
        else
            LstItemName_DblClick();
    }
    return true; // letters never reach the list's own keyboard search
}

void MainForm::keyPressEvent(QKeyEvent *event)
{
    if (!Form_KeyPress(event))
        QWidget::keyPressEvent(event);
}

bool MainForm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // The window sees every key before the focused control.
        if (Form_KeyPress(key))
            return true;
        if (watched == txtFind)
            return txtFind_KeyDown(key);
        if (watched == LstGroupName || watched == LstItemName)
            return listKeyPress(static_cast<QListWidget *>(watched), key);
        if (watched == TxtPreview && key->key() == Qt::Key_Escape) {
            hide();
            return true;
        }
        break;
    }
    case QEvent::InputMethod:
        if (watched == txtFind)
            txtFind_InputMethod(static_cast<QInputMethodEvent *>(event));
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == LstGroupName || watched == LstItemName || watched == TxtPreview) {
            const bool in = event->type() == QEvent::FocusIn;
            auto *w = static_cast<QWidget *>(watched);
            QPalette p = w->palette();
            p.setColor(QPalette::Base, in ? activeColor_ : inactiveColor_);
            w->setPalette(p);
            if (in && watched == TxtPreview)
                TmrCloseTimer->stop();
            // A list taking the focus would make its first line current without selecting
            // it: the arrows would then skip that line. Keep "nothing chosen" as it is.
            auto *list = qobject_cast<QListWidget *>(w);
            if (in && list && !list->currentIndex().isValid()) {
                list->viewport()->update();
                return true;
            }
        }
        break;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == BtnClosePreview && mouse->button() == Qt::LeftButton) {
            BtnClosePreview_Click();
            return true;
        }
        if (watched == LstGroupName->viewport() || watched == LstItemName->viewport()) {
            if (mouse->button() == Qt::LeftButton && pendingSyntheticClicks_ > 0)
                --pendingSyntheticClicks_;
            if (mouse->button() != Qt::LeftButton) {
                LstItemName_MouseDown(mouse->button());
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Mouse and menu -------------------------------------------------------------------

void MainForm::mousePressEvent(QMouseEvent *event)
{
    LstItemName_MouseDown(event->button());
}

void MainForm::LstItemName_MouseDown(Qt::MouseButton button)
{
    if (button != Qt::RightButton) {
        enableCopyEntries();
        return;
    }
    // A left click at the pointer first selects the line under it, so the menu acts on it.
    if (services_.clickLeftAtPointer) {
        pendingSyntheticClicks_ = 1;
        services_.clickLeftAtPointer();
        QDeadlineTimer deadline(SyntheticClickWaitMs);
        while (pendingSyntheticClicks_ > 0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        pendingSyntheticClicks_ = 0;
        QCoreApplication::processEvents();
    }
    enableCopyEntries();
    if (!exitRequested_)
        MenuRightClick->exec(QCursor::pos());
}

void MainForm::openContextMenuFromKeyboard()
{
    enableCopyEntries();
    MenuRightClick->exec(keyboardMenuPosition());
}

QPoint MainForm::keyboardMenuPosition() const
{
    // Next to the focused line, where the user's eyes are, not wherever the pointer rests.
    QWidget *focus = focusWidget();
    for (QListWidget *list : {LstGroupName, LstItemName}) {
        if (focus != list)
            continue;
        const QRect row = list->visualRect(list->currentIndex()) & list->viewport()->rect();
        return list->viewport()->mapToGlobal(row.isValid() ? row.bottomLeft() : QPoint(0, 0));
    }
    if (focus && isAncestorOf(focus))
        return focus->mapToGlobal(focus->rect().center());
    return mapToGlobal(rect().center());
}

void MainForm::enableCopyEntries()
{
    const bool selected = ListIndex(LstItemName) >= 0;
    for (QAction *copy : MenuCopy)
        copy->setEnabled(selected);
}

// ---- Dropping a card file ---------------------------------------------------------------

void MainForm::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void MainForm::dragMoveEvent(QDragMoveEvent *event)
{
    // Only a file the drop can open: a dragged web link would show the copy cursor for nothing.
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void MainForm::PlainMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool MainForm::SwitchMemoFile(const QString &path)
{
    // A card file named like the program would be taken for the program's own files.
    if (namedLikeProgram(path)) {
        QMessageBox::critical(this, QCoreApplication::applicationName(),
                              QStringLiteral("仕様によりその名前のデータファイルは使用できません。"));
        return false;
    }
    iniData.SetiniValue(QStringLiteral("TXTFile"), path);
    MenuReloadItem_Click();
    AddRecentFile(path, recentMemoList_);
    return true;
}

void MainForm::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    SwitchMemoFile(urls.first().toLocalFile());
}
