// The card file watch, the card editor and the two recent-file lists of the main window.
#include "app/MainForm.h"

#include "app/MemoFileWatch.h"
#include "app/RecentFiles.h"
#include "platform/UserStore.h"
#include "util/Tool.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

namespace {

const QString kEditorKey = QStringLiteral("Editor");
const QString kMemoKey = QStringLiteral("TXTFile");

void information(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QCoreApplication::applicationName(), text);
}

// The open-file dialog of the two change commands; empty when cancelled or nothing usable
// (an existing regular file) was chosen.
QString chooseExistingFile(QWidget *parent, const QString &title, const QStringList &filters,
                           const QString &initialPath)
{
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Each filter is "label (pattern)" and shows its label alone, exactly as given.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    if (!initialPath.isEmpty()) {
        const QString folder = Tool::GetParentFolder(initialPath);
        if (!folder.isEmpty())
            dialog.setDirectory(folder);
        dialog.selectFile(Tool::GetFileNamePart(initialPath));
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || !QueryFileStatus(files.first()).exists)
        return QString();
    return files.first();
}

// With no editor set and none recorded, a new user has no card editor yet: our own one,
// installed beside us or on the PATH, is offered first. Empty when declined or not found.
QString offerCardEditor(QWidget *parent, UserStore *store)
{
    if (store && !store->GetSetting(QStringLiteral("Fennecs SoftWares"), QStringLiteral("Vellum"), QStringLiteral("Path")).isEmpty())
        return QString();
    const QString name = QStringLiteral("QuillboxCards");
    QString cards = QStandardPaths::findExecutable(name, {QCoreApplication::applicationDirPath()});
    if (cards.isEmpty())
        cards = QStandardPaths::findExecutable(name);
    if (cards.isEmpty())
        return QString();
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(),
                    QStringLiteral("カードエディタ QuillboxCards でMemoファイルを編集しますか?\n") + cards,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    return box.exec() == QMessageBox::Yes ? cards : QString();
}

} // namespace

void MainForm::connectMemoFileCommands()
{
    connect(MenuEditMemo, &QAction::triggered, this, &MainForm::MenuEditMemo_Click);
    connect(MenuChangeMemoFile, &QAction::triggered, this, &MainForm::MenuChangeMemoFile_Click);
    connect(MenuChangeEditor, &QAction::triggered, this, &MainForm::MenuChangeEditor_Click);
    connect(MenuTitle2, &QAction::triggered, this, &MainForm::MenuTitle2_Click);
    for (int i = 0; i < MenuFileRecent.size(); ++i)
        connect(MenuFileRecent[i], &QAction::triggered, this, [this, i] { MenuFileRecent_Click(i); });
    for (int i = 0; i < MenuFileRecentVLM.size(); ++i)
        connect(MenuFileRecentVLM[i], &QAction::triggered, this, [this, i] { MenuFileRecentVLM_Click(i); });
}

bool MainForm::startEditorProgram(const QStringList &args, QString *error)
{
    return services_.startProgram && services_.startProgram(iniData.GetiniValue(kEditorKey), args, error);
}

// ---- The check timer -------------------------------------------------------------------

void MainForm::tmrMemoFileCheck_Timer()
{
    if (memoWatch_.checkMemo(QueryFileStatus(iniData.GetiniValue(kMemoKey))))
        MenuReloadItem_Click();

    const QString listPath = MemoFileWatch::EditorListPath(iniData.GetiniValue(kEditorKey));
    if (memoWatch_.checkEditorList(QueryFileStatus(listPath))) {
        recentEditorList_.iniLoader(listPath);
        FillRecentMenu(MenuFileRecentVLM, recentEditorList_, false);
    }
}

// ---- Recent-file lists -----------------------------------------------------------------

void MainForm::LoadRecentLists()
{
    recentMemoList_.iniLoader(Tool::MakePath(paths_.programFolder, QStringLiteral("RecentVLW.ini")));
    const QString listPath = MemoFileWatch::EditorListPath(iniData.GetiniValue(kEditorKey));
    if (!listPath.isEmpty())
        recentEditorList_.iniLoader(listPath);
}

void MainForm::AddRecentFile(const QString &path, iniMente &list)
{
    // Another copy of the program may have changed the file since we last read it.
    list.iniLoader(Tool::MakePath(paths_.programFolder, QStringLiteral("RecentVLW.ini")));
    RecentFiles::AddPath(list, path);
    reportIfNotSaved(list.iniSaverSameFilename(), list);
    FillRecentMenu(MenuFileRecent, list, true);
}

void MainForm::FillRecentMenu(const QVector<QAction *> &items, iniMente &list, bool plainCaptions)
{
    // Items beyond the last entry keep what they showed before.
    const QStringList paths = RecentFiles::Entries(list, std::min<int>(items.size(), RecentFiles::EditorItems));
    for (int i = 0; i < paths.size(); ++i) {
        items[i]->setVisible(true);
        items[i]->setText(RecentFiles::Caption(i, paths[i], plainCaptions));
    }
}

void MainForm::MenuFileRecent_Click(int index)
{
    const QString path = recentMemoList_.GetiniValue(RecentFiles::EntryKey(index));
    if (path.isEmpty())
        return;
    SwitchMemoFile(path);
}

void MainForm::MenuFileRecentVLM_Click(int index)
{
    hide();
    QString ignored;
    startEditorProgram({recentEditorList_.GetiniValue(RecentFiles::EntryKey(index))}, &ignored);
}

void MainForm::MenuTitle2_Click()
{
    hide();
    QString ignored;
    startEditorProgram({}, &ignored);
}

// ---- The editor and the card file ----------------------------------------------------------

void MainForm::MenuEditMemo_Click()
{
    for (;;) {
        const QString editor = iniData.GetiniValue(kEditorKey);
        if (editor.isEmpty()) {
            const QString cards = offerCardEditor(this, services_.userStore);
            if (!cards.isEmpty()) {
                iniData.SetiniValue(kEditorKey, cards);
                continue;
            }
            information(this, QStringLiteral("Vellumへのパスが指定されていません。"));
            MenuChangeEditor_Click();
            if (iniData.GetiniValue(kEditorKey).isEmpty())
                return;
            continue;
        }
        if (!QueryFileStatus(editor).exists) {
            information(this, QStringLiteral("Vellumが見つかりません。再設定してください。"));
            MenuChangeEditor_Click();
            return;
        }
        QString error;
        if (!startEditorProgram({iniData.GetiniValue(kMemoKey)}, &error)) {
            information(this, QStringLiteral("Vellumを起動できませんでした。\n") + error);
            return;
        }
        if (afterCopyHides())
            hide();
        return;
    }
}

void MainForm::MenuChangeEditor_Click()
{
    information(this, QStringLiteral("これから、エディタとして使用するVellumを設定します。\n"
                                     "次に表示されるダイアログで、Vellumを指定してください"));
    // The editor records where it lives; failing that, it is looked for beside us.
    QString fallback = Tool::MakePath(paths_.programFolder, QStringLiteral("VELLUM.exe"));
    if (services_.userStore)
        fallback = services_.userStore->GetSetting(QStringLiteral("Fennecs SoftWares"), QStringLiteral("Vellum"),
                                                   QStringLiteral("Path"), fallback);
    const QString initial = iniData.GetiniValue(kEditorKey, fallback);

    const QString chosen = chooseExistingFile(this, QStringLiteral("Vellumを指定してください"),
                                              {QStringLiteral("Vellum (VELLUM.exe)"), QStringLiteral("その他 (*.*) (*)")},
                                              initial);
    if (chosen.isEmpty()) {
        PlainMessage(this, QStringLiteral("エディタの変更を中止しました。"));
        return;
    }
    iniData.SetiniValue(kEditorKey, chosen);
}

void MainForm::MenuChangeMemoFile_Click()
{
    const QString chosen = chooseExistingFile(this, QStringLiteral("Memoファイルの変更"),
                                              {QStringLiteral("Memoファイル(*.vlw) (*.vlw)"), QStringLiteral("その他 (*.*) (*)")},
                                              iniData.GetiniValue(kMemoKey));
    if (chosen.isEmpty()) {
        information(this, QStringLiteral("変更を中止しました。"));
        return;
    }
    SwitchMemoFile(chosen);
}
