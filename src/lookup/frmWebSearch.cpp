#include "lookup/frmWebSearch.h"

#include "lookup/RefusedAddress.h"
#include "lookup/ServiceDefaults.h"
#include "platform/ShellService.h"
#include "util/EtchedLine.h"
#include "util/Tool.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

frmWebSearch::frmWebSearch(ShellService &shell, LookupSettings settings, const QString &caption, QWidget *parent)
    : QWidget(parent, Qt::Window), shell_(shell), settings_(std::move(settings))
{
    setWindowTitle(QStringLiteral("WebSearch on ") + caption);

    Label1 = new QLabel(QStringLiteral("検索語(&K)"), this);
    Label1->setGeometry(8, 12, 72, 24);
    cmbKeyWord = new QComboBox(this);
    cmbKeyWord->setEditable(true);
    cmbKeyWord->setInsertPolicy(QComboBox::NoInsert); // only a search adds to the history
    cmbKeyWord->setGeometry(84, 10, 330, 28);
    cmbKeyWord->setAccessibleName(QStringLiteral("検索語"));
    Label1->setBuddy(cmbKeyWord);
    btnWebSearch = new QPushButton(QStringLiteral("検索(&S)"), this);
    btnWebSearch->setGeometry(422, 9, 80, 30);
    btnFeelingLucky = new QPushButton(QStringLiteral("一発(&F)"), this);
    btnFeelingLucky->setGeometry(508, 9, 84, 30);
    btnFeelingLucky->setToolTip(QStringLiteral("検索の第1候補を直接開きます(Ctrl+Enter) powered by Google"));
    chkSearchMulti = new QCheckBox(QStringLiteral("マルチ検索(&M)"), this);
    chkSearchMulti->setGeometry(84, 44, 160, 24);
    chkClose = new QCheckBox(QStringLiteral("検索後に閉じる(&C)"), this);
    chkClose->setGeometry(250, 44, 180, 24);

    Image1 = new QLabel(this);
    Image1->setGeometry(10, 88, 32, 32);
    Image1->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    Label2 = new QLabel(QStringLiteral("　検索語をスペース(半角)で区切って指定します。and検索等は各サイトのヘルプを参照してください。\n"
                                       "　なお、URLを指定すると、単にそのURLを開きます。\n"
                                       "　マルチ検索を指定すると、複数の検索サイトを同一の検索語で呼び出します。"),
                        this);
    fitHelpText();
    DrawEtchedLine(this, 6, 76, width() - 12);

    connect(btnWebSearch, &QPushButton::clicked, this, &frmWebSearch::btnWebSearch_Click);
    connect(btnFeelingLucky, &QPushButton::clicked, this, &frmWebSearch::btnFeelingLucky_Click);
    cmbKeyWord->installEventFilter(this);
    cmbKeyWord->lineEdit()->installEventFilter(this);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::hide);
}

void frmWebSearch::fitHelpText()
{
    // Each help line on a line of its own, whatever the font: the fixed size grows to hold them.
    Label2->setWordWrap(false);
    const QSize text = Label2->sizeHint();
    Label2->setGeometry(48, 84, qMax(548, text.width()), qMax(70, text.height()));
    setFixedSize(qMax(600, Label2->geometry().right() + 1 + 8), qMax(160, Label2->geometry().bottom() + 1 + 6));
}

bool frmWebSearch::IsAddress(const QString &text)
{
    // A drive letter ("C:\...") names nothing on Linux and no scheme is one letter long:
    // such texts are searched.
    for (const char *prefix : {"http://", "www.", "ftp://", "mailto:", "telnet:"}) {
        if (text.startsWith(QLatin1String(prefix)))
            return true;
    }
    return false;
}

QString frmWebSearch::LocalPath(const QString &text)
{
    if (text.startsWith(u'/'))
        return text;
    if (text.startsWith(QLatin1String("~/")))
        return QDir::homePath() + text.mid(1);
    return QString();
}

void frmWebSearch::open(const QString &address)
{
    // A bare "www." name would read as a missing file to the desktop.
    if (address.startsWith(QLatin1String("www.")))
        shell_.openUrl(QStringLiteral("http://") + address);
    else
        shell_.openUrl(address); // failures are not reported; the next engine still runs
}

void frmWebSearch::openService(const QString &key, const QString &base, const QString &encoded)
{
    const QString address = base + encoded;
    if (IsWebAddress(QUrl(address, QUrl::TolerantMode)))
        open(address);
    else
        ShowRefusedAddress(this, key, base);
}

void frmWebSearch::remember(const QString &words)
{
    cmbKeyWord->insertItem(0, words);
    while (cmbKeyWord->count() > HistoryLimit)
        cmbKeyWord->removeItem(HistoryLimit);
    cmbKeyWord->setEditText(words);
    cmbKeyWord->setFocus();
    cmbKeyWord->lineEdit()->selectAll();
}

void frmWebSearch::hideIfAsked()
{
    if (chkClose->isChecked())
        hide();
}

void frmWebSearch::btnWebSearch_Click()
{
    const QString text = cmbKeyWord->currentText();
    const QString path = LocalPath(text);
    if (!path.isEmpty()) {
        shell_.openFile(path, Tool::GetParentFolder(path));
    } else if (IsAddress(text)) {
        open(text);
    } else if (!text.isEmpty()) {
        const int engines = chkSearchMulti->isChecked() ? CountWebSearchEngines(settings_.read) : 1;
        const QString encoded = ServiceUrlEncode(text);
        for (int i = 1; i <= engines; ++i) {
            const QString key = QStringLiteral("WebSearchURL") + QString::number(i);
            openService(key, settings_.readOr(key, DefaultWebSearchUrls().at(1)), encoded);
        }
        remember(text);
    }
    hideIfAsked();
}

void frmWebSearch::btnFeelingLucky_Click()
{
    const QString text = cmbKeyWord->currentText();
    if (!text.isEmpty()) {
        const QString key = QStringLiteral("WebSearchFeelingLuckyURL");
        openService(key, settings_.readOr(key, DefaultFeelingLuckyUrl()), ServiceUrlEncode(text));
        remember(text);
    }
    hideIfAsked();
}

bool frmWebSearch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ControlModifier)
                btnFeelingLucky->click();
            else
                btnWebSearch->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmWebSearch::closeEvent(QCloseEvent *event)
{
    if (unloading_) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
}

void frmWebSearch::Unload()
{
    unloading_ = true;
    close();
}
