#include "app/MainForm.h"

#include <QAction>
#include <QHideEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

namespace {
// More lines would cost time at every keystroke and help nobody: typing on narrows faster.
constexpr int MaxShownHits = 100;
} // namespace

void MainForm::connectFindCommands()
{
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("タイトル・本文を検索 — Enter でコピー、Esc で戻る"));
    txtFind->setAccessibleName(QStringLiteral("タイトル・本文を検索"));
    txtFind->hide();
    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textChanged, this, [this] { txtFind_Change(); });
    connect(MenuFind, &QAction::triggered, this, &MainForm::MenuFind_Click);
}

bool MainForm::finding() const
{
    return txtFind && !txtFind->isHidden();
}

int MainForm::placeFindField(int width)
{
    if (!finding())
        return 0;
    txtFind->setGeometry(0, 0, width, txtFind->sizeHint().height());
    return txtFind->height();
}

void MainForm::MenuFind_Click()
{
    if (txtReplace->isVisible())
        return; // the "%1" input keeps the keyboard until it ends
    if (isHidden())
        PopUpLists(); // chosen from the pop-up menu of the hot key
    if (!finding()) {
        beforeFind_.group = ListIndex(LstGroupName);
        beforeFind_.item = ListIndex(LstItemName);
        beforeFind_.groupScroll = LstGroupName->verticalScrollBar()->value();
        beforeFind_.itemScroll = LstItemName->verticalScrollBar()->value();
        beforeFind_.focus = focusWidget();
        beforeFind_.previewText = TxtPreview->toPlainText();
        beforeFind_.previewHidden = TxtPreview->isHidden();
        beforeFind_.itemFocusPolicy = LstItemName->focusPolicy();
        updateFindIndex();

        txtFind->clear();
        findPreedit_.clear();
        findShownQuery_.clear();
        txtFind->show();
        txtFind->raise();
        txtFind->setFocus();
        // The keyboard stays in the field; the lists show hits and where they come from.
        LstGroupName->setEnabled(false);
        LstItemName->setFocusPolicy(Qt::NoFocus);
        LstItemName->clear();
        LstGroupName->setCurrentIndex(QModelIndex());
        LstGroupName->clearSelection();
        Form_Resize();
    }
    txtFind->setFocus();
    txtFind->selectAll();
}

void MainForm::updateFindIndex()
{
    if (findIndex_ == FindIndex::Stale) {
        finder_.setGroupCount(MemoGroups.size());
        for (int g = 0; g < MemoGroups.size(); ++g)
            finder_.setGroup(g, MemoGroups[g].ItemNames, MemoGroups[g].ItemTexts);
    } else if (findIndex_ == FindIndex::HistoryChanged) {
        // A clipboard change rebuilds the first two groups only.
        for (int g = 0; g < qMin(2, int(MemoGroups.size())); ++g)
            finder_.setGroup(g, MemoGroups[g].ItemNames, MemoGroups[g].ItemTexts);
    }
    findIndex_ = FindIndex::Current;
}

void MainForm::FindTableChanged(bool reloaded)
{
    if (reloaded) {
        findIndex_ = FindIndex::Stale;
        // A reload leaves nothing chosen; so does leaving a find that saw one.
        beforeFind_.group = beforeFind_.item = -1;
        beforeFind_.groupScroll = beforeFind_.itemScroll = 0;
    } else if (findIndex_ == FindIndex::Current) {
        findIndex_ = FindIndex::HistoryChanged;
    }
    if (!finding())
        return;
    updateFindIndex();
    findShownQuery_.clear();
    txtFind_Change();
}

void MainForm::txtFind_Change()
{
    QString query = txtFind->text();
    if (!findPreedit_.isEmpty())
        query.insert(txtFind->cursorPosition(), findPreedit_);
    if (query == findShownQuery_ && !query.isEmpty())
        return;
    findShownQuery_ = query;
    findHits_ = finder_.find(query);

    const int shown = qMin(int(findHits_.size()), MaxShownHits);
    LstItemName->setUpdatesEnabled(false);
    LstItemName->clear();
    for (int row = 0; row < shown; ++row) {
        const MemoGroup &group = MemoGroups[findHits_[row].group];
        auto *line = new QListWidgetItem(group.ItemNames[findHits_[row].item] + QStringLiteral("　— ") + group.Name,
                                         LstItemName);
        line->setToolTip(line->text());
    }
    if (findHits_.size() > shown) {
        auto *more = new QListWidgetItem(QStringLiteral("…ほか %1 件").arg(findHits_.size() - shown), LstItemName);
        more->setFlags(Qt::NoItemFlags);
    }
    LstItemName->setUpdatesEnabled(true);
    if (shown > 0) {
        LstItemName->setCurrentRow(0); // what Enter copies
    } else {
        // Nothing found: neither a group nor a preview of an earlier hit stays on show.
        LstGroupName->setCurrentIndex(QModelIndex());
        LstGroupName->clearSelection();
        if (!TxtPreview->isHidden())
            TmrCloseTimer_Timer();
    }
}

void MainForm::txtFind_InputMethod(const QInputMethodEvent *event)
{
    // Kana being composed already finds its words; the field takes the event after us.
    findPreedit_ = event->preeditString();
    QTimer::singleShot(0, this, [this] {
        if (finding())
            txtFind_Change();
    });
}

void MainForm::showFoundItem()
{
    const int row = ListIndex(LstItemName);
    if (row < 0 || row >= qMin(int(findHits_.size()), MaxShownHits))
        return;
    const SnippetFinder::Hit hit = findHits_[row];
    LstGroupName->setCurrentRow(hit.group);
    LstGroupName->scrollToItem(LstGroupName->item(hit.group));
    showPreviewFor(hit.group, hit.item);
}

bool MainForm::txtFind_KeyDown(QKeyEvent *event)
{
    const int shown = qMin(int(findHits_.size()), MaxShownHits);
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Escape:
        cancelFind();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shown > 0 && ListIndex(LstItemName) < 0)
            LstItemName->setCurrentRow(0);
        if (shown > 0)
            LstItemName_DblClick(); // the default copy mode, which ends the find first
        return true;
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const int rowHeight = qMax(1, LstItemName->sizeHintForRow(0));
        const int page = qMax(1, LstItemName->viewport()->height() / rowHeight - 1);
        step = event->key() == Qt::Key_PageUp ? -page : page;
        break;
    }
    default:
        return false;
    }
    if (shown > 0) {
        const int row = qBound(0, ListIndex(LstItemName) + step, shown - 1);
        LstItemName->setCurrentRow(row);
        LstItemName->scrollToItem(LstItemName->item(row));
    }
    return true;
}

void MainForm::endFind()
{
    findHits_.clear();
    findPreedit_.clear();
    findShownQuery_.clear();
    txtFind->hide();
    LstGroupName->setEnabled(true);
    LstItemName->setFocusPolicy(beforeFind_.itemFocusPolicy);
    Form_Resize();
}

bool MainForm::leaveFindAtSelected()
{
    const int row = ListIndex(LstItemName);
    if (row < 0 || row >= qMin(int(findHits_.size()), MaxShownHits))
        return false;
    const SnippetFinder::Hit hit = findHits_[row];
    endFind();
    // Cleared first: the group may be selected already, and choosing it must refill the items.
    LstGroupName->clearSelection();
    LstGroupName->setCurrentRow(hit.group);
    LstItemName->setCurrentRow(hit.item);
    LstItemName->scrollToItem(LstItemName->item(hit.item));
    LstItemName->setFocus();
    return true;
}

void MainForm::cancelFind()
{
    endFind();
    const ListsBeforeFind &before = beforeFind_;
    LstGroupName->clearSelection();
    LstItemName->clear();
    if (before.group >= 0 && before.group < LstGroupName->count()) {
        LstGroupName->setCurrentRow(before.group);
        if (before.item >= 0 && before.item < LstItemName->count()) {
            const QSignalBlocker quiet(LstItemName); // shown already; no new preview
            LstItemName->setCurrentRow(before.item);
        }
    } else {
        LstGroupName->setCurrentIndex(QModelIndex());
    }
    LstGroupName->verticalScrollBar()->setValue(before.groupScroll);
    LstItemName->verticalScrollBar()->setValue(before.itemScroll);
    TxtPreview->setPlainText(before.previewText);
    if (before.previewHidden && !TxtPreview->isHidden())
        TmrCloseTimer_Timer();
    QWidget *focus = before.focus && before.focus->isEnabled() && before.focus->isVisibleTo(this) ? before.focus.data()
                                                                                                  : LstGroupName;
    focus->setFocus();
}

void MainForm::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Hidden by the user (Ctrl+W, the close box): shown again, the lists are as they were.
    if (finding() && !event->spontaneous())
        cancelFind();
}
