// The option commands of the main window's menu: always on top, preview time, TV address,
// colours, font, help and the version window, and the start-up registration with the
// update-notification tool, and the hot keys as desktop shortcuts. None of them saves the settings file.
#include "app/MainForm.h"

#include "app/DesktopShortcuts.h"
#include "app/MakerInfo.h"
#include "app/SettingColors.h"
#include "app/SplashForm.h"
#include "app/ViZudev.h"
#include "lookup/ServiceDefaults.h"
#include "platform/desktop/DispFormTop.h"
#include "util/Tool.h"

#include <QAction>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>

namespace {

// Optional sign, digits with an optional decimal part and exponent, spaces around.
bool isNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
}

} // namespace

void MainForm::connectOptionCommands()
{
    connect(MenuAlwaysOnTop, &QAction::triggered, this, &MainForm::MenuAlwaysOnTop_Click);
    connect(MenuChangePreviewTime, &QAction::triggered, this, &MainForm::MenuChangePreviewTime_Click);
    connect(MenuChangeTVProgramTableURL, &QAction::triggered, this, &MainForm::MenuChangeTVProgramTableURL_Click);
    connect(MenuDispHelp, &QAction::triggered, this, &MainForm::MenuDispHelp_Click);
    for (int i = 0; i < MenuOptionBackColor.size(); ++i)
        connect(MenuOptionBackColor[i], &QAction::triggered, this, [this, i] { MenuOptionBackColor_Click(i); });
    connect(MenuOptionFont, &QAction::triggered, this, &MainForm::MenuOptionFont_Click);
    connect(MenuVerInfo, &QAction::triggered, this, &MainForm::MenuVerInfo_Click);
    connect(MenuDesktopShortcuts, &QAction::triggered, this, &MainForm::MenuDesktopShortcuts_Click);
}

// Where key grabs do not reach (Wayland), the desktop itself runs `--hotkey NAME` for each hot key.
void MainForm::MenuDesktopShortcuts_Click()
{
    const QVector<HotKeyDefault> keys = EnabledHotKeys(iniData);
    const QString executable = QCoreApplication::applicationFilePath();
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), QString(), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if (services_.openDesktopShortcuts) {
        QString error;
        const std::unique_ptr<DesktopShortcutStore> store = services_.openDesktopShortcuts(&error);
        const QVector<DesktopShortcut> shortcuts = GnomeShortcuts(keys, executable);
        if (!store || !store->replace(shortcuts, &error)) {
            box.setIcon(QMessageBox::Warning);
            box.setText(QStringLiteral("デスクトップのショートカットに登録できませんでした。\n") + error);
        } else if (shortcuts.isEmpty()) {
            box.setText(QStringLiteral("有効なホットキーがないため、登録してあったショートカットを削除しました。"));
        } else {
            QStringList lines;
            for (const DesktopShortcut &s : shortcuts)
                lines.append(s.binding + QStringLiteral("  ") + s.name);
            box.setText(QStringLiteral("デスクトップのキーボードショートカットに次のホットキーを登録しました。\n\n")
                        + lines.join(u'\n'));
        }
    } else {
        const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
        box.setText(QStringLiteral("次の行を %1 に追加して、設定を読み込み直してください。\n\n")
                        .arg(CompositorLinesPlace(desktop))
                    + CompositorLines(keys, executable, desktop).join(u'\n'));
    }
    box.exec();
}

// The menu has already toggled the check mark: it holds the new state.
void MainForm::MenuAlwaysOnTop_Click()
{
    const bool onTop = MenuAlwaysOnTop->isChecked();
    iniData.SetiniValue(QStringLiteral("AlwayonTop"), onTop ? 1 : 0);
    SetFormTop(this, onTop ? 1 : 0);
}

void MainForm::MenuChangePreviewTime_Click()
{
    // A topmost main window would cover the input box.
    const bool onTop = iniData.GetiniValue(QStringLiteral("AlwayonTop")) == QStringLiteral("1");
    if (onTop) {
        SetFormTop(this, 0);
        QCoreApplication::processEvents();
    }
    const QString answer = QInputDialog::getText(
        this, QStringLiteral("プレビューウィンドウの表示時間"),
        QStringLiteral("プレビューウィンドウを表示している時間をミリ秒で入力してください。0を入力すると、閉じなくなります。"
                       "100以下にすると表示されなくなります。\n(1000ミリ秒=1秒)"),
        QLineEdit::Normal, iniData.GetiniValue(QStringLiteral("PreviewCloseTime")));
    if (!answer.isEmpty() && isNumber(answer))
        iniData.SetiniValue(QStringLiteral("PreviewCloseTime"), answer);
    if (onTop)
        SetFormTop(this, 1);
}

void MainForm::MenuChangeTVProgramTableURL_Click()
{
    const QString current = iniData.GetiniValue(QStringLiteral("TVProgramTableURL"), DefaultTVProgramTableUrl());
    const QString answer = QInputDialog::getText(this, QStringLiteral("TV番組表URLの設定"),
                                                 QStringLiteral("TV番組表のURLを指定してください。"),
                                                 QLineEdit::Normal, current);
    if (answer.isEmpty())
        return;
    iniData.SetiniValue(QStringLiteral("TVProgramTableURL"), answer);
    QMessageBox::information(this, QCoreApplication::applicationName(),
                             QStringLiteral("URLを") + answer + QStringLiteral("に変更しました。"));
}

// A compiled help file has no viewer on Linux: the guide is an HTML page among the shipped files.
void MainForm::MenuDispHelp_Click()
{
    if (services_.shell)
        Tool::OpenDocument(*services_.shell, Tool::MakePath(paths_.sharedFolder, QStringLiteral("Quillbox.html")));
}

void MainForm::MenuOptionBackColor_Click(int index)
{
    // The dialog opens on the colour in use.
    const QColor initial = index == 0 ? LstGroupName->palette().color(QPalette::Text)
                                      : index == 1 ? activeColor_ : inactiveColor_;
    // Qt's own dialog: it always shows the custom colours, and tests can answer it.
    QColorDialog dialog(initial, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("色の設定"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QColor chosen = dialog.selectedColor();
    const qint64 value = SettingFromColor(chosen);
    if (index == 0) {
        iniData.SetiniValue(QStringLiteral("TextColor"), value);
    } else if (index == 1) {
        activeColor_ = chosen;
        iniData.SetiniValue(QStringLiteral("ActiveAreaColor"), value);
    } else {
        inactiveColor_ = chosen;
        iniData.SetiniValue(QStringLiteral("InactiveAreaColor"), value);
    }
    setControlColors(index == 0 ? &chosen : nullptr);
}

void MainForm::MenuOptionFont_Click()
{
    // The dialog opens on the font in use, which the stored name and size set when they could;
    // left alone it would offer the first family of its list at 6 points.
    QFontDialog dialog(this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("フォントの指定"));
    dialog.setCurrentFont(LstGroupName->font());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QFont chosen = dialog.selectedFont();
    iniData.SetiniValue(QStringLiteral("FontName"), chosen.family());
    // Single precision, always with "." whatever the locale.
    iniData.SetiniValue(QStringLiteral("FontSize"), float(chosen.pointSizeF()));
    setControlFont(chosen.family(), chosen.pointSizeF());
}

void MainForm::MenuVerInfo_Click()
{
    SplashForm splash(services_.shell, this);
    splash.exec();
}

void MainForm::setControlColors(const QColor *text)
{
    // The focused control keeps the active colour its focus handler gave it: a closing
    // dialog may already have handed the focus back.
    for (QWidget *w : {static_cast<QWidget *>(LstGroupName), static_cast<QWidget *>(LstItemName),
                       static_cast<QWidget *>(TxtPreview)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, w->hasFocus() ? activeColor_ : inactiveColor_);
        if (text)
            p.setColor(QPalette::Text, *text);
        w->setPalette(p);
    }
}

void MainForm::setControlFont(const QString &family, double pointSize)
{
    for (QWidget *w : {static_cast<QWidget *>(LstGroupName), static_cast<QWidget *>(LstItemName),
                       static_cast<QWidget *>(TxtPreview)}) {
        QFont f = w->font();
        // A font that is not installed would be replaced by some other family: keep the design font.
        if (!family.isEmpty() && QFontDatabase::hasFamily(family))
            f.setFamily(family);
        if (pointSize > 0)
            f.setPointSizeF(pointSize);
        w->setFont(f);
    }
}

void MainForm::RegisterUpdateChecker()
{
    if (paths_.configHome.isEmpty())
        return;
    RegisterWithUpdateChecker({paths_.configHome, MakerInfo::ProductName, QB_VERSION_MAJOR, QB_VERSION_MINOR,
                               QB_VERSION_REVISION, QCoreApplication::applicationFilePath()});
}
