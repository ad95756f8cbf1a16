#include "cards/CardsWindow.h"

#include "cards/CardCommands.h"
#include "cards/CardFilter.h"
#include "cards/CardModel.h"
#include "platform/LineBreaks.h"
#include "util/CompositionGuard.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextDocument>
#include <QTreeView>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

// The body field shows LF line breaks; the card keeps CR LF, and breaks typed there are saved
// as CR LF.
QString bodyForField(const QString &body)
{
    return LineBreaks::toClipboard(body);
}

QString bodyFromField(const QPlainTextEdit *edit)
{
    // The raw text keeps no-break spaces, which the plain-text view would turn into spaces.
    QString text = edit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

CardsWindow::CardsWindow(QWidget *parent)
    : QMainWindow(parent)
    , model_(new CardModel(this))
    , filter_(new CardFilter(model_, this))
    , undo_(new QUndoStack(this))
{
    buildFields();
    buildMenus();
    qApp->installEventFilter(this);
    // Installed after the window's own filter, so that it sees the keys first.
    new CompositionGuard(this);

    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { showCard(currentRow()); });
    connect(model_, &CardModel::fieldChanged, this, [this](int row, CardField field) {
        if (row == shownRow_)
            showField(field);
    });
    connect(model_, &CardModel::groupsChanged, this, [this] { groupsChanged_ = true; });
    connect(model_, &CardModel::cardTouched, this, &CardsWindow::selectRow);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { selectRow(0); });
    connect(undo_, &QUndoStack::cleanChanged, this, &CardsWindow::updateTitle);
    resize(720, 640);
    updateTitle();
    showCard(-1);
}

CardsWindow::~CardsWindow()
{
    qApp->removeEventFilter(this);
}

void CardsWindow::buildFields()
{
    list_ = new QTreeView;
    list_->setModel(filter_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->resizeSection(0, 420);
    list_->setAccessibleName(QStringLiteral("カード一覧"));

    filterEdit_ = new QLineEdit;
    filterEdit_->setPlaceholderText(QStringLiteral("タイトル・グループ・本文で絞り込み"));
    filterEdit_->setAccessibleName(QStringLiteral("絞り込み"));
    filterEdit_->setClearButtonEnabled(true);
    filterEdit_->hide();
    connect(filterEdit_, &QLineEdit::textChanged, filter_, &CardFilter::setText);
    filterEdit_->installEventFilter(this);

    titleEdit_ = new QLineEdit;
    groupEdit_ = new QComboBox;
    groupEdit_->setEditable(true);
    groupEdit_->setInsertPolicy(QComboBox::NoInsert);
    groupEdit_->setCompleter(nullptr); // completing would type for the user
    groupEdit_->setMaxVisibleItems(20);
    bodyEdit_ = new QPlainTextEdit;
    bodyEdit_->setTabChangesFocus(true);
    bodyEdit_->setUndoRedoEnabled(false); // one history for the whole file
    bodyEdit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    connect(titleEdit_, &QLineEdit::textChanged, this, [this] { fieldEdited(CardField::Title); });
    connect(groupEdit_, &QComboBox::editTextChanged, this, [this] { fieldEdited(CardField::Group); });
    connect(bodyEdit_, &QPlainTextEdit::textChanged, this, [this] { fieldEdited(CardField::Body); });

    auto *fields = new QWidget;
    auto *form = new QFormLayout(fields);
    const std::pair<QString, QWidget *> rows[] = {{QStringLiteral("タイトル(&T)"), titleEdit_},
                                                  {QStringLiteral("グループ(&G)"), groupEdit_},
                                                  {QStringLiteral("本文(&B)"), bodyEdit_}};
    for (const auto &row : rows) {
        auto *label = new QLabel(row.first);
        label->setBuddy(row.second);
        row.second->setAccessibleName(QString(row.first).remove(QStringLiteral("(&") + row.first.right(2)));
        form->addRow(label, row.second);
    }

    auto *top = new QWidget;
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(filterEdit_);
    topLayout->addWidget(list_);

    auto *split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(fields);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);
    setCentralWidget(split);

    setTabOrder(list_, titleEdit_);
    setTabOrder(titleEdit_, groupEdit_);
    setTabOrder(groupEdit_, bodyEdit_);
}

QAction *CardsWindow::addCommand(QMenu *menu, const QString &text, const QKeySequence &key,
                                 const std::function<void()> &run)
{
    QAction *action = menu->addAction(text);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, run);
    windowKeys_.append(action);
    return action;
}

void CardsWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    addCommand(file, QStringLiteral("開く(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O), [this] { openWithDialog(); });
    addCommand(file, QStringLiteral("上書き保存(&S)"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { save(); });
    addCommand(file, QStringLiteral("名前を付けて保存(&A)..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
               [this] { saveAs(); });
    buildEncodingControls(file);
    file->addSeparator();
    addCommand(file, QStringLiteral("終了(&X)"), QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });

    QMenu *edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    QAction *undo = addCommand(edit, QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { undo_->undo(); });
    QAction *redo = addCommand(edit, QStringLiteral("やり直し(&R)"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                               [this] { undo_->redo(); });
    connect(undo_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(undo_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    undo->setEnabled(false);
    redo->setEnabled(false);
    edit->addSeparator();
    addCommand(edit, QStringLiteral("カードを追加(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { addCard(); });
    addCommand(edit, QStringLiteral("カードを複製(&D)"), QKeySequence(Qt::CTRL | Qt::Key_D), [this] { duplicateCard(); });
    // Delete belongs to the fields while they have the focus; in the list it removes the card.
    QAction *remove = edit->addAction(QStringLiteral("カードを削除(&L)"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    list_->addAction(remove);
    connect(remove, &QAction::triggered, this, &CardsWindow::removeCard);
    addCommand(edit, QStringLiteral("上へ移動(&P)"), QKeySequence(Qt::ALT | Qt::Key_Up), [this] { moveCard(-1); });
    addCommand(edit, QStringLiteral("下へ移動(&W)"), QKeySequence(Qt::ALT | Qt::Key_Down), [this] { moveCard(+1); });
    edit->addSeparator();
    addCommand(edit, QStringLiteral("絞り込み(&F)"), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { startFilter(); });
}

// Keys of the window's commands win over the same keys of a text field (Ctrl+Z, Ctrl+D
// and the like), so that undo and the card commands behave alike wherever the focus is.
bool CardsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()
        && static_cast<QWidget *>(watched)->window() == this) {
        const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
        for (const QAction *action : std::as_const(windowKeys_)) {
            if (action->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    }
    if (watched == filterEdit_ && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        stopFilter();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- The cards and their fields ---------------------------------------------------------

int CardsWindow::currentRow() const
{
    const QModelIndex current = list_->currentIndex();
    return current.isValid() ? filter_->mapToSource(current).row() : -1;
}

void CardsWindow::selectRow(int row)
{
    if (row < 0 || row >= model_->count()) {
        showCard(-1);
        return;
    }
    QModelIndex index = filter_->mapFromSource(model_->index(row, 0));
    if (!index.isValid()) { // filtered out: an undo brought it back, so it has to be seen
        filter_->reveal(model_->card(row).serial);
        index = filter_->mapFromSource(model_->index(row, 0));
    }
    list_->setCurrentIndex(index);
    list_->scrollTo(index);
    showCard(row);
}

void CardsWindow::showCard(int row)
{
    shownRow_ = row;
    const bool any = row >= 0;
    for (QWidget *field : {static_cast<QWidget *>(titleEdit_), static_cast<QWidget *>(groupEdit_),
                           static_cast<QWidget *>(bodyEdit_)})
        field->setEnabled(any);
    if (groupsChanged_)
        refreshGroupChoices();
    for (CardField field : {CardField::Title, CardField::Group, CardField::Body})
        showField(field);
}

QString CardsWindow::shownText(CardField field) const
{
    switch (field) {
    case CardField::Title:
        return titleEdit_->text();
    case CardField::Group:
        return groupEdit_->currentText();
    case CardField::Body:
        break;
    }
    return bodyFromField(bodyEdit_);
}

// Puts the card's text into a field unless the field shows it already, so typing keeps its
// cursor while an undo shows what it restored.
void CardsWindow::showField(CardField field)
{
    const QString text = shownRow_ < 0 ? QString() : model_->card(shownRow_).field(field);
    const QString wanted = field == CardField::Body ? bodyForField(text) : text;
    if (shownText(field) == wanted)
        return;
    showing_ = true;
    switch (field) {
    case CardField::Title:
        titleEdit_->setText(wanted);
        titleEdit_->setCursorPosition(0);
        break;
    case CardField::Group:
        groupEdit_->setEditText(wanted);
        break;
    case CardField::Body:
        bodyEdit_->setPlainText(wanted);
        break;
    }
    showing_ = false;
}

void CardsWindow::fieldEdited(CardField field)
{
    if (showing_ || shownRow_ < 0)
        return;
    QString text = shownText(field);
    const Card &card = model_->card(shownRow_);
    if (field == CardField::Body) {
        if (text == bodyForField(card.body))
            return;
        text = LineBreaks::fromClipboard(text);
    } else if (text == card.field(field)) {
        return;
    }
    filter_->keep(card.serial);
    undo_->push(new EditFieldCommand(model_, shownRow_, field, text));
}

void CardsWindow::refreshGroupChoices()
{
    groupsChanged_ = false;
    const QString text = groupEdit_->currentText();
    showing_ = true;
    groupEdit_->clear();
    groupEdit_->addItems(model_->groups());
    groupEdit_->setEditText(text);
    showing_ = false;
}

void CardsWindow::addCard()
{
    const int row = currentRow() < 0 ? model_->count() : currentRow() + 1;
    undo_->push(new InsertCardCommand(model_, row, Card(), QStringLiteral("追加")));
    titleEdit_->setFocus(Qt::ShortcutFocusReason);
}

void CardsWindow::duplicateCard()
{
    const int row = currentRow();
    if (row < 0)
        return;
    Card copy = model_->card(row);
    copy.serial = 0;
    undo_->push(new InsertCardCommand(model_, row + 1, copy, QStringLiteral("複製")));
}

void CardsWindow::removeCard()
{
    const int row = currentRow();
    if (row >= 0)
        undo_->push(new RemoveCardCommand(model_, row));
}

void CardsWindow::moveCard(int delta)
{
    const int row = currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= model_->count())
        return;
    QWidget *focus = QApplication::focusWidget();
    undo_->push(new MoveCardCommand(model_, row, to));
    if (focus)
        focus->setFocus();
}

void CardsWindow::startFilter()
{
    filterEdit_->show();
    filterEdit_->setFocus(Qt::ShortcutFocusReason);
    filterEdit_->selectAll();
}

void CardsWindow::stopFilter()
{
    const int row = currentRow();
    filterEdit_->clear();
    filterEdit_->hide();
    selectRow(row);
    list_->setFocus();
}
