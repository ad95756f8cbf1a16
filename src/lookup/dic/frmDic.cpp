#include "lookup/dic/frmDic.h"

#include "lookup/RefusedAddress.h"
#include "lookup/ServiceDefaults.h"
#include "platform/UserStore.h"
#include "util/OuterFrame.h"
#include "util/ScreenFit.h"
#include "util/ChangeComboLines.h"
#include "util/Tool.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QWebEngineHttpRequest>
#include <QWebEngineView>
#include <QWindow>

namespace {

const QString StoreApp = QStringLiteral("Fennecs SoftWares");
constexpr int TwipsPerPixel = 15;
// Design size of a new window, in pixels.
constexpr int DesignWidth = 760, DesignHeight = 560;
constexpr int MinKeywordWidth = 160;

} // namespace

frmDic::frmDic(const DicHost &host, std::function<void()> openAnother)
    : QWidget(nullptr, Qt::Window), host_(host), openAnother_(std::move(openAnother))
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(DesignWidth, DesignHeight);

    lblKeyWord = new QLabel(QStringLiteral("キーワード(&1)"), this);
    txtKeyword = new QLineEdit(this);
    txtKeyword->setToolTip(QStringLiteral("検索したい語を入力します。ALT+1でフォーカスを移せます。"));
    txtKeyword->setAccessibleName(QStringLiteral("キーワード"));
    // The label sits under the keyword box and only lends its access key.
    lblKeyWord->setBuddy(txtKeyword);
    lblKeyWord->setGeometry(0, 0, 1, 1);
    lblKeyWord->lower();

    picToolBox = new QWidget(this);
    cmbDic = new QComboBox(picToolBox);
    cmbDic->setToolTip(QStringLiteral("辞書の種類を選択します。頭の数字を入力しても切り替えることが出来ます。"));
    cmbDic->setAccessibleName(QStringLiteral("辞書の種類"));
    btnSearch = new QPushButton(QStringLiteral("検索(&S)"), picToolBox);
    btnSearch->setToolTip(QStringLiteral("検索欄でエンターキーを押しても同じです。"));
    btnSearch->setDefault(true);
    btnTV = new QPushButton(QStringLiteral("&TV"), picToolBox);
    btnTV->setToolTip(QStringLiteral("テレビ番組表を表示します。"));
    btnNew = new QPushButton(QStringLiteral("新規(&W)"), picToolBox);
    btnNew->setToolTip(QStringLiteral("新しいウインドウを開きます。"));
    btnClose = new QPushButton(QStringLiteral("閉じる(&C)"), picToolBox);
    btnClose->setToolTip(QStringLiteral("このウインドウを閉じます。ESCキーを押しても同じです。"));
    cmbDic->setGeometry(0, 0, 200, 28);
    int x = 204;
    for (QPushButton *b : {btnSearch, btnTV, btnNew, btnClose}) {
        const int w = qMax(56, b->sizeHint().width());
        b->setGeometry(x, 0, w, 28);
        x += w + 2;
    }
    picToolBox->resize(x, 28);
    // Narrowed, the window keeps the whole tool strip and a keyword box one can type in.
    setMinimumWidth(picToolBox->width() + MinKeywordWidth);

    Browser = new QWebEngineView(this);
    Browser->setAccessibleName(QStringLiteral("検索結果"));
    txtURL = new QLineEdit(this);
    txtURL->setReadOnly(true);
    txtURL->setToolTip(QStringLiteral("クリックすると自動的にクリップボードにコピーします"));
    txtURL->setAccessibleName(QStringLiteral("アドレス"));

    connect(btnSearch, &QPushButton::clicked, this, &frmDic::btnSearch_Click);
    connect(btnTV, &QPushButton::clicked, this, &frmDic::btnTV_Click);
    connect(btnNew, &QPushButton::clicked, this, [this] { openAnother_(); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &frmDic::Escape_Pressed);
    connect(txtKeyword, &QLineEdit::textChanged, this, &frmDic::noteCutKeyword);
    connect(Browser, &QWebEngineView::loadFinished, this, &frmDic::Browser_LoadFinished);
    txtKeyword->installEventFilter(this);
    txtURL->installEventFilter(this);
    cmbDic->view()->installEventFilter(this);

    Form_Load();
}

void frmDic::Form_Load()
{
    SetDropDownLines(cmbDic, 30);
    setWindowTitle(QStringLiteral("WebDictionary on ") + host_.productName + QStringLiteral(" Ver.") + host_.version);
    Browser->setUrl(QUrl(QStringLiteral("about:blank")));
    picToolBox->resize(picToolBox->width(), cmbDic->height());
    if (host_.clipboardText) {
        const QString text = host_.clipboardText();
        if (!text.isEmpty())
            txtKeyword->setText(StripBlanks(Tool::GetFirstLine(text)));
    }
    restorePlacement();
    cmbDic->clear();
    for (const DicService &service : ReadDicServices(host_.settings.read))
        cmbDic->addItem(service.name);
    cmbDic->setCurrentIndex(cmbDic->count() > 0 ? 0 : -1);
    Form_Resize();
}

void frmDic::search(int index, const QString &keyword)
{
    // An entry beyond the configured services falls back to the first one.
    cmbDic->setCurrentIndex(index >= 0 && index < cmbDic->count() ? index : 0);
    txtKeyword->setText(keyword);
    btnSearch_Click();
}

void frmDic::showTVProgramTable()
{
    btnTV_Click();
}

void frmDic::btnSearch_Click()
{
    txtKeyword->selectAll();
    const QString key = QStringLiteral("DicURL") + QString::number(qMax(0, cmbDic->currentIndex()) + 1);
    const QString base = host_.settings.read(key);
    const QUrl address(base + ServiceUrlEncode(txtKeyword->text()), QUrl::TolerantMode);
    if (!IsWebAddress(address)) {
        ShowRefusedAddress(this, key, base);
        return;
    }
    Browser->setUrl(address);
    Browser->setFocus();
}

void frmDic::btnTV_Click()
{
    txtKeyword->setText(QStringLiteral("適宜「最新の情報に更新(F5キー)」してください。"));
    const QString value = host_.settings.readOr(QStringLiteral("TVProgramTableURL"), DefaultTVProgramTableUrl());
    const QUrl address(value, QUrl::TolerantMode);
    if (!IsWebAddress(address)) {
        ShowRefusedAddress(this, QStringLiteral("TVProgramTableURL"), value);
        return;
    }
    QWebEngineHttpRequest request(address);
    // Never from the cache.
    request.setHeader("Cache-Control", "no-cache");
    request.setHeader("Pragma", "no-cache");
    Browser->load(request);
    Browser->setFocus();
}

void frmDic::Browser_LoadFinished(bool)
{
    // Fully encoded, so code page escapes such as %93%FA stay as the server got them.
    const QString address = Browser->url().toString(QUrl::FullyEncoded);
    if (address.toLower() != QStringLiteral("about:blank"))
        txtURL->setText(address);
}

void frmDic::Escape_Pressed()
{
    // Esc in the dropped-down service list closes the list only.
    if (escClosesList_ || cmbDic->view()->isVisible()) {
        escClosesList_ = false;
        cmbDic->hidePopup();
        return;
    }
    close();
}

void frmDic::noteCutKeyword()
{
    // The keyword box keeps its limit; a longer keyword is searched cut, but the user hears of it.
    const bool full = txtKeyword->text().size() >= txtKeyword->maxLength();
    if (full && !keywordCutNoted_) {
        auto *note = new QMessageBox(QMessageBox::Information, windowTitle(),
                                     QStringLiteral("キーワードは%1文字までです。それより後ろは検索に使いません。")
                                         .arg(txtKeyword->maxLength()),
                                     QMessageBox::Ok, this);
        note->setAttribute(Qt::WA_DeleteOnClose);
        note->show();
    }
    keywordCutNoted_ = full;
}

bool frmDic::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmbDic->view() && event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        // The list closes on this Esc and hands it on to the window's Esc afterwards.
        escClosesList_ = true;
        QTimer::singleShot(0, this, [this] { escClosesList_ = false; });
    }
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtKeyword) {
            // After the click that gave the focus has placed the cursor.
            QTimer::singleShot(0, txtKeyword, &QLineEdit::selectAll);
        } else if (watched == txtURL && !txtURL->text().isEmpty() && host_.setClipboardText) {
            host_.setClipboardText(txtURL->text());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmDic::keyPressEvent(QKeyEvent *event)
{
    // The search button is the window's default button; Enter in the keyword box comes here too,
    // as the box passes it on, so it searches once.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        btnSearch_Click();
    else
        QWidget::keyPressEvent(event);
}

void frmDic::Form_Resize()
{
    const int w = width(), h = height();
    picToolBox->move(w - picToolBox->width(), picToolBox->y());
    txtKeyword->setGeometry(0, 0, qMax(0, picToolBox->x()), picToolBox->height());
    const int urlHeight = txtURL->sizeHint().height();
    const int top = picToolBox->height();
    Browser->setGeometry(0, top, w, qMax(0, h - top - urlHeight));
    txtURL->setGeometry(0, top + Browser->height(), w, urlHeight);
}

// ---- Placement: outer frame in twips, shared by every dictionary window ------------------

QString frmDic::stored(const QString &key) const
{
    return host_.userStore ? host_.userStore->GetSetting(StoreApp, host_.productName, key) : QString();
}

void frmDic::restorePlacement()
{
    // A value that is not a number, or none any screen could hold, keeps the current one.
    auto pixels = [this](const QString &key, int current) { return StoredPixels(stored(key)).value_or(current); };
    auto extent = [&pixels](const QString &key, int current) {
        const int value = pixels(key, current);
        return value > 0 ? value : current;
    };
    QRect outer(pos(), size());
    if (host_.settings.readOr(QStringLiteral("FixDicForm"), QStringLiteral("True")).compare(
            QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        outer.moveTop(pixels(QStringLiteral("DicWindowTop"), outer.top()));
        outer.moveLeft(pixels(QStringLiteral("DicWindowLeft"), outer.left()));
    }
    outer.setHeight(extent(QStringLiteral("DicWindowHeight"), outer.height()));
    outer.setWidth(extent(QStringLiteral("DicWindowWidth"), outer.width()));
    outer = PlaceOnScreens(this, outer);
    if (outer.topLeft() != pos())
        move(outer.topLeft());
    resize(outer.size());
    const int state = stored(QStringLiteral("DicWindowState")).trimmed().toInt();
    pendingState_ = state == 2 ? Qt::WindowMaximized : state == 1 ? Qt::WindowMinimized : Qt::WindowNoState;
    pendingOuter_ = outer;
    normalOuter_ = outer;
    pending_ = true;
    // Without a window manager nothing frames the window: take the state anyway.
    QTimer::singleShot(1000, this, [this] {
        if (pending_) {
            pending_ = false;
            setWindowState(pendingState_);
        }
    });
}

void frmDic::applyPendingPlacement()
{
    const QMargins m = OuterFrameMargins(this);
    if (!pending_ || m.isNull() || !isVisible())
        return;
    pending_ = false;
    move(pendingOuter_.topLeft());
    resize(pendingOuter_.width() - m.left() - m.right(), pendingOuter_.height() - m.top() - m.bottom());
    if (pendingState_ != Qt::WindowNoState)
        setWindowState(pendingState_);
}

void frmDic::trackNormalPlacement()
{
    if (!pending_ && windowState() == Qt::WindowNoState && isVisible())
        normalOuter_ = OuterGeometry(this);
}

void frmDic::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyPendingPlacement();
    trackNormalPlacement();
    Form_Resize();
}

void frmDic::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    applyPendingPlacement();
    trackNormalPlacement();
}

void frmDic::storePlacement()
{
    if (!host_.userStore)
        return;
    const Qt::WindowStates state = pending_ ? pendingState_ : windowState();
    const int stateNumber = state & Qt::WindowMinimized ? 1 : state & Qt::WindowMaximized ? 2 : 0;
    const QRect outer = pending_ ? pendingOuter_ : normalOuter_;
    host_.userStore->SaveSettings(StoreApp, host_.productName,
                                  {{QStringLiteral("DicWindowState"), QString::number(stateNumber)},
                                   {QStringLiteral("DicWindowTop"), QString::number(outer.top() * TwipsPerPixel)},
                                   {QStringLiteral("DicWindowLeft"), QString::number(outer.left() * TwipsPerPixel)},
                                   {QStringLiteral("DicWindowHeight"), QString::number(outer.height() * TwipsPerPixel)},
                                   {QStringLiteral("DicWindowWidth"), QString::number(outer.width() * TwipsPerPixel)}});
}

void frmDic::closeEvent(QCloseEvent *event)
{
    storePlacement();
    event->accept();
}
