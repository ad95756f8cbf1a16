// Dictionary windows (from a plugin loaded on first use) and the web-search window.
#include "app/MainForm.h"

#include "app/CommandLine.h"
#include "lookup/DicLoader.h"
#include "lookup/DicPlugin.h"
#include "lookup/frmWebSearch.h"
#include "platform/ClipboardChain.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>

void MainForm::connectLookupCommands()
{
    connect(MenuDicOpenOnly, &QAction::triggered, this, [this] { MenuDicOpenOnly_Click(); });
    for (int i = 0; i < MenuDicOpen.size(); ++i)
        connect(MenuDicOpen[i], &QAction::triggered, this, [this, i] { MenuDicOpen_Click(i); });
    for (int i = 0; i < MenuWebSearch.size(); ++i)
        connect(MenuWebSearch[i], &QAction::triggered, this, [this, i] { MenuWebSearch_Click(i); });
    connect(MenuDicTV, &QAction::triggered, this, [this] { MenuDicTV_Click(); });
    connect(MenuDicAutoCopy, &QAction::triggered, this, &MainForm::MenuDicAutoCopy_Click);
}

LookupSettings MainForm::lookupSettings()
{
    return {[this](const QString &key) { return iniData.GetiniValue(key); },
            [this](const QString &key, const QString &def) { return iniData.GetiniValue(key, def); }};
}

QString MainForm::clipboardKeyword() const
{
    // A secret (a copied password) reads as empty and is never sent anywhere.
    return clipboardNow().text;
}

ClipboardSnapshot MainForm::clipboardNow() const
{
    if (services_.readClipboardNow)
        return services_.readClipboardNow();
    return services_.readClipboard ? services_.readClipboard() : ClipboardSnapshot();
}

void MainForm::bringForward(QWidget *window, unsigned long timestamp)
{
    window->show();
    window->raise();
    if (services_.activateWindow)
        services_.activateWindow(window, timestamp);
    else
        window->activateWindow();
}

void MainForm::copySelectionFirst()
{
    // A word selected in any program is looked up with one hot key.
    if (!MenuDicAutoCopy->isChecked() || !services_.copyFromFocused)
        return;
    const QString before = clipboardKeyword();
    if (!services_.copyFromFocused())
        return;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 300 && clipboardKeyword() == before)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

DicPlugin *MainForm::dicPlugin()
{
    if (!dicLoader_)
        dicLoader_ = std::make_unique<DicLoader>();
    const bool first = !dicLoader_->isLoaded();
    QString error;
    DicPlugin *plugin = dicLoader_->plugin(&error);
    if (!plugin) {
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             QStringLiteral("辞書ウインドウを読み込めませんでした。\r\n") + error);
        return nullptr;
    }
    if (first) {
        DicHost host;
        host.settings = lookupSettings();
        host.userStore = services_.userStore ? services_.userStore : &memoryStore_;
        host.productName = ProductName();
        host.version = VersionText();
        host.clipboardText = [this] { return clipboardKeyword(); };
        host.setClipboardText = services_.setClipboardText;
        host.activateWindow = services_.activateWindow;
        plugin->setHost(host);
    }
    return plugin;
}

void MainForm::MenuDicOpen_Click(int index, unsigned long timestamp)
{
    if (afterCopyHides())
        hide();
    copySelectionFirst();
    const QString keyword = clipboardKeyword();
    if (keyword.isEmpty())
        return;
    DicPlugin *plugin = dicPlugin();
    if (!plugin)
        return;
    DicWindow *window = plugin->openWindow();
    window->search(index, keyword);
    bringForward(window->widget(), timestamp);
}

void MainForm::MenuDicOpenOnly_Click(unsigned long timestamp)
{
    if (afterCopyHides())
        hideUnlessUnreachable();
    copySelectionFirst();
    if (DicPlugin *plugin = dicPlugin())
        bringForward(plugin->openWindow()->widget(), timestamp);
}

void MainForm::MenuDicTV_Click(unsigned long timestamp)
{
    if (afterCopyHides())
        hideUnlessUnreachable();
    if (DicPlugin *plugin = dicPlugin()) {
        DicWindow *window = plugin->openWindow();
        bringForward(window->widget(), timestamp);
        window->showTVProgramTable();
    }
}

void MainForm::MenuDicAutoCopy_Click()
{
    iniData.SetiniValue(QStringLiteral("MenuDicAutoCopy"), MenuDicAutoCopy->isChecked());
}

frmWebSearch *MainForm::webSearchWindow()
{
    if (!webSearch_ && services_.shell)
        webSearch_ = std::make_unique<frmWebSearch>(*services_.shell, lookupSettings(), MainFormCaption());
    return webSearch_.get();
}

void MainForm::MenuWebSearch_Click(int index, unsigned long timestamp)
{
    if (frmWebSearch *window = webSearchWindow()) {
        window->chkSearchMulti->setChecked(index == 1);
        PopUpWebSearch(timestamp);
    }
}

void MainForm::PopUpWebSearch(unsigned long timestamp)
{
    if (frmWebSearch *window = webSearchWindow()) {
        bringForward(window, timestamp);
        window->cmbKeyWord->setFocus();
    }
}

void MainForm::UnloadLookupWindows()
{
    if (webSearch_)
        webSearch_->Unload();
    webSearch_.reset();
    if (dicLoader_ && dicLoader_->isLoaded())
        dicLoader_->plugin(nullptr)->closeAll();
}
