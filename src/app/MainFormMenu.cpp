#include "app/MainForm.h"

#include <QAction>
#include <QMenu>

namespace {

QAction *addItem(QMenu *menu, const QString &caption, const QString &objectName, bool checkable = false)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(objectName);
    action->setCheckable(checkable);
    return action;
}

QVector<QAction *> addItems(QMenu *menu, const QStringList &captions, const QString &objectName,
                            bool checkable = false)
{
    QVector<QAction *> items;
    for (int i = 0; i < captions.size(); ++i)
        items.append(addItem(menu, captions[i], QStringLiteral("%1(%2)").arg(objectName).arg(i), checkable));
    return items;
}

QMenu *addSubmenu(QMenu *menu, const QString &caption, const QString &objectName)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(objectName);
    sub->menuAction()->setObjectName(objectName);
    return sub;
}

} // namespace

void MainForm::buildMenu()
{
    // The top-level "右クリック" menu is never shown itself: its submenu is the pop-up menu.
    MenuRightClick = new QMenu(QStringLiteral("右クリック"), this);
    MenuRightClick->setObjectName(QStringLiteral("MenuRightClick"));
    QMenu *m = MenuRightClick;

    MenuCopy = addItems(m, {QStringLiteral("そのままコピー(&1)"), QStringLiteral("部分変更コピー(&2)")},
                        QStringLiteral("MenuCopy"));
    MenuFind = addItem(m, QStringLiteral("検索(&F)"), QStringLiteral("MenuFind"));
    m->addSeparator();
    MenuEditMemo = addItem(m, QStringLiteral("Memoファイルの編集(&3)"), QStringLiteral("MenuEditMemo"));
    MenuReloadItem = addItem(m, QStringLiteral("Memoファイルの再読込(&4)"), QStringLiteral("MenuReloadItem"));
    m->addSeparator();
    MenuExtAPP = addItem(m, QStringLiteral("外部アプリ呼出(&5)"), QStringLiteral("MenuExtAPP"));
    m->addSeparator();

    QMenu *option = addSubmenu(m, QStringLiteral("オプション(&6)"), QStringLiteral("MenuOption"));
    MenuDefaultCopyMode = addItems(option,
                                   {QStringLiteral("標準動作 = そのままコピー(&C)"),
                                    QStringLiteral("標準動作 = 部分変更コピー(&B)")},
                                   QStringLiteral("MenuDefaultCopyMode"), true);
    option->addSeparator();
    MenuMinimize = addItems(option,
                            {QStringLiteral("コピーしても変化なし(&N)"), QStringLiteral("コピーした後最小化(&M)"),
                             QStringLiteral("コピーした後最小化 + 勝手に貼付(&K)")},
                            QStringLiteral("MenuMinimize"), true);
    option->addSeparator();
    MenuAlwaysOnTop = addItem(option, QStringLiteral("常に手前に表示(&T)"), QStringLiteral("MenuAlwaysOnTop"), true);
    QMenu *color = addSubmenu(option, QStringLiteral("配色・フォント(&O)"), QStringLiteral("MenuOptionColor"));
    MenuOptionFont = addItem(color, QStringLiteral("表示フォント(&F)"), QStringLiteral("MenuOptionFont"));
    MenuOptionBackColor = addItems(color,
                                   {QStringLiteral("文字色(&C)"), QStringLiteral("背景色(アクティブな部分)(&A)"),
                                    QStringLiteral("背景色(アクティブでない部分)(&I)")},
                                   QStringLiteral("MenuOptionBackColor"));
    QMenu *clip = addSubmenu(option, QStringLiteral("クリップボード履歴(&H)"), QStringLiteral("MenuClip"));
    MenuClipEnable = addItem(clip, QStringLiteral("クリップボード履歴ON/OFF(&C)"), QStringLiteral("MenuClipEnable"), true);
    MenuClipBeepEnable = addItem(clip, QStringLiteral("クリップボードクリック音ON/OFF(&B)"),
                                 QStringLiteral("MenuClipBeepEnable"), true);
    MenuClipBeepChangeFile = addItem(clip, QStringLiteral("クリップボードクリック音を変更(&W)"),
                                     QStringLiteral("MenuClipBeepChangeFile"));
    option->addSeparator();
    MenuChangeMemoFile = addItem(option, QStringLiteral("Memoファイルを変更する(&F)"), QStringLiteral("MenuChangeMemoFile"));
    MenuChangeEditor = addItem(option, QStringLiteral("Vellum Notebookのパス(場所)を変更(&C)"),
                               QStringLiteral("MenuChangeEditor"));
    option->addSeparator();
    MenuChangePreviewTime = addItem(option, QStringLiteral("プレビュー時間を指定する(&P)"),
                                    QStringLiteral("MenuChangePreviewTime"));
    option->addSeparator();
    MenuSetExtApp = addItem(option, QStringLiteral("外部アプリを指定する(&E)"), QStringLiteral("MenuSetExtApp"));
    MenuChangeTVProgramTableURL = addItem(option, QStringLiteral("TV番組表のURLを変更する(&U)"),
                                          QStringLiteral("MenuChangeTVProgramTableURL"));
    option->addSeparator();
    MenuDicAutoCopy = addItem(option, QStringLiteral("辞書呼出時にCtrl+Cを送出(&S)"), QStringLiteral("MenuDicAutoCopy"), true);
    option->addSeparator();
    MenuDesktopShortcuts = addItem(option, QStringLiteral("デスクトップのショートカットに登録"),
                                   QStringLiteral("MenuDesktopShortcuts"));

    QMenu *help = addSubmenu(m, QStringLiteral("ヘルプ(&7)"), QStringLiteral("MenuHelp"));
    MenuDispHelp = addItem(help, QStringLiteral("ヘルプ(&H)"), QStringLiteral("MenuDispHelp"));
    MenuVerInfo = addItem(help, QStringLiteral("バージョン情報(&A)"), QStringLiteral("MenuVerInfo"));
    m->addSeparator();
    MenuExit = addItem(m, QStringLiteral("終了(&8)"), QStringLiteral("MenuExit"));
    m->addSeparator();

    QMenu *dic = addSubmenu(m, QStringLiteral("Goo辞書/Web検索/TV番組表/電卓(&0)"), QStringLiteral("MenuDic"));
    MenuDicOpenOnly = addItem(dic, QStringLiteral("辞書・TVウインドウを開く(&0)"), QStringLiteral("MenuDicOpenOnly"));
    MenuDicOpen = addItems(dic,
                           {QStringLiteral("英和辞書(&1)"), QStringLiteral("和英辞書(&2)"), QStringLiteral("国語辞書(&3)"),
                            QStringLiteral("新語辞書(&4)")},
                           QStringLiteral("MenuDicOpen"));
    MenuWebSearch = addItems(dic, {QStringLiteral("Web検索(&5)"), QStringLiteral("Web検索マルチ(&6)")},
                             QStringLiteral("MenuWebSearch"));
    dic->addSeparator();
    MenuDicTV = addItem(dic, QStringLiteral("TV番組表(&9)"), QStringLiteral("MenuDicTV"));
    dic->addSeparator();
    MenuCalc = addItem(dic, QStringLiteral("電卓(&+)"), QStringLiteral("MenuCalc"));
    m->addSeparator();

    MenuTitle1 = addItem(m, QStringLiteral("●Quillbox履歴"), QStringLiteral("MenuTitle1"));
    for (int i = 0; i < 10; ++i)
        MenuFileRecent.append(addItem(m, QStringLiteral("履歴"), QStringLiteral("MenuFileRecent(%1)").arg(i)));
    m->addSeparator();
    MenuTitle2 = addItem(m, QStringLiteral("●&Vellum Notebook履歴"), QStringLiteral("MenuTitle2"));
    for (int i = 0; i < 26; ++i)
        MenuFileRecentVLM.append(addItem(m, QStringLiteral("履歴"), QStringLiteral("MenuFileRecentVLM(%1)").arg(i)));
    for (QAction *item : MenuFileRecent + MenuFileRecentVLM)
        item->setVisible(false);

    for (int i = 0; i < MenuCopy.size(); ++i)
        connect(MenuCopy[i], &QAction::triggered, this, [this, i] { MenuCopy_Click(i); });
    for (int i = 0; i < MenuDefaultCopyMode.size(); ++i)
        connect(MenuDefaultCopyMode[i], &QAction::triggered, this, [this, i] { MenuDefaultCopyMode_Click(i); });
    for (int i = 0; i < MenuMinimize.size(); ++i)
        connect(MenuMinimize[i], &QAction::triggered, this, [this, i] { MenuMinimize_Click(i); });
    connect(MenuReloadItem, &QAction::triggered, this, &MainForm::MenuReloadItem_Click);
    connect(MenuExit, &QAction::triggered, this, &MainForm::MenuExit_Click);
}
