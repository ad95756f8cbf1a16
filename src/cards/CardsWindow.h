#pragma once
// The card editor's window: the cards in a list (title, group), the selected card's three
// fields below it, and the commands in menus with their keys.
#include "cards/CardFile.h"

#include <QDateTime>
#include <QMainWindow>

#include <functional>

class CardFilter;
class CardModel;
class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QToolButton;
class QTreeView;
class QUndoStack;

class CardsWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit CardsWindow(QWidget *parent = nullptr);
    ~CardsWindow() override;

    // Opens a card file; a missing one starts empty and is created by the first save. A file
    // that cannot be read is reported and left alone: the window then holds an unnamed file.
    bool openFile(const QString &path);
    bool save();

    CardModel *model() const { return model_; }
    QUndoStack *undoStack() const { return undo_; }
    QString filePath() const { return path_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFields();
    void buildMenus();
    QAction *addCommand(QMenu *menu, const QString &text, const QKeySequence &key, const std::function<void()> &run);

    int currentRow() const; // of the card list, -1 when none
    void selectRow(int row);
    void showCard(int row);
    void showField(CardField field);
    QString shownText(CardField field) const;
    void fieldEdited(CardField field);
    void refreshGroupChoices();

    void addCard();
    void duplicateCard();
    void removeCard();
    void moveCard(int delta);
    void startFilter();
    void stopFilter();

    void buildEncodingControls(QMenu *file);
    void showEncoding();
    void chooseEncoding(CardEncoding encoding);
    // Before a save in code page 932: names the characters it cannot hold and offers UTF-8.
    // False when the user would rather see the first of them, which is then selected.
    bool settleEncoding();
    void selectCharacter(const Unencodable &character);

    void openWithDialog();
    bool saveAs();
    bool saveTo(const QString &path);
    bool maybeSave();
    void rememberFileTime();
    void updateTitle();

    CardModel *model_;
    CardFilter *filter_;
    QUndoStack *undo_;
    QTreeView *list_ = nullptr;
    QLineEdit *filterEdit_ = nullptr;
    QLineEdit *titleEdit_ = nullptr;
    QComboBox *groupEdit_ = nullptr;
    QPlainTextEdit *bodyEdit_ = nullptr;
    QList<QAction *> windowKeys_; // window-wide commands that win over the fields' own keys
    QToolButton *encodingButton_ = nullptr;

    QString path_;
    QDateTime fileTime_; // of the file as we last read or wrote it
    int shownRow_ = -1;
    bool showing_ = false;       // fields are being filled, not typed into
    bool groupsChanged_ = true;  // the group choices are out of date
};
