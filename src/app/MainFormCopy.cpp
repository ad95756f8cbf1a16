#include "app/MainForm.h"

#include "app/ListRules.h"

#include <QAction>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

void MainForm::MenuCopy_Click(int index)
{
    if (finding() && !leaveFindAtSelected())
        return;
    const int g = ListIndex(LstGroupName);
    const int j = ListIndex(LstItemName);
    if (g < 0 || g >= MemoGroups.size() || j < 0 || j >= MemoGroups[g].ItemTexts.size())
        return;
    const QString name = MemoGroups[g].ItemNames[j];
    const QString text = MemoGroups[g].ItemTexts[j];

    if (index == 0) {
        writeClipboard(text);
    } else {
        if (!text.contains(QStringLiteral("%1"))) {
            MenuCopy_Click(0);
            return;
        }
        TmrCloseTimer->stop();
        txtReplace->setGeometry(0, 0, width(), txtReplace->sizeHint().height());
        txtReplace->clear();
        txtReplace->show();
        txtReplace->raise();
        txtReplace->setFocus();
        LstGroupName->setEnabled(false);
        LstItemName->setEnabled(false);

        replacementDone_ = false;
        QEventLoop loop;
        replaceLoop_ = &loop;
        if (!exitRequested_)
            loop.exec();
        replaceLoop_ = nullptr;

        const QString typed = txtReplace->text();
        endReplacementInput();
        if (!replacementDone_)
            return; // the wait was ended by an exit

        // The table may have been reloaded meanwhile: copy only the very item the user chose.
        if (g >= MemoGroups.size() || j >= MemoGroups[g].ItemTexts.size() || MemoGroups[g].ItemNames[j] != name
            || MemoGroups[g].ItemTexts[j] != text)
            return;
        writeClipboard(ReplacePlaceholder(text, typed));
    }
    afterCopy();
}

void MainForm::endReplacementInput()
{
    // The lists first: hiding the focused field while they are disabled leaves the keyboard
    // with nowhere to go, or on the preview.
    LstGroupName->setEnabled(true);
    LstItemName->setEnabled(true);
    // Back where the copy began; a reload meanwhile may have emptied the item list.
    if (LstItemName->count() > 0)
        LstItemName->setFocus();
    else
        LstGroupName->setFocus();
    txtReplace->hide();
}

void MainForm::writeClipboard(const QString &text)
{
    SelfCopyFlag = true;
    if (services_.setClipboardText)
        services_.setClipboardText(text);
    SelfCopyFlag = false;
}

void MainForm::afterCopy()
{
    if (MenuMinimize.value(1) && MenuMinimize[1]->isChecked())
        hide();
    if (MenuMinimize.value(2) && MenuMinimize[2]->isChecked()) {
        hide();
        if (services_.pasteIntoPrevious)
            services_.pasteIntoPrevious();
    }
    if (LeadingNumber(iniData.GetiniValue(QStringLiteral("PreviewCloseTime"))) > 100)
        TmrCloseTimer_Timer();
}
