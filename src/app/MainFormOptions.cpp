#include "app/MainForm.h"

#include "platform/desktop/DispFormTop.h"

#include <QAction>

void MainForm::connectOptionCommands()
{
    connect(MenuAlwaysOnTop, &QAction::triggered, this, &MainForm::MenuAlwaysOnTop_Click);
}

// The menu has already toggled the check mark: it holds the new state.
void MainForm::MenuAlwaysOnTop_Click()
{
    const bool onTop = MenuAlwaysOnTop->isChecked();
    iniData.SetiniValue(QStringLiteral("AlwayonTop"), onTop ? 1 : 0);
    SetFormTop(this, onTop ? 1 : 0);
}
