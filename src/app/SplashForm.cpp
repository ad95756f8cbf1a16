#include "app/SplashForm.h"

#include "platform/AppIds.h"
#include "platform/desktop/ProgramIcon.h"
#include "app/CommandLine.h"
#include "app/MakerInfo.h"
#include "platform/ShellService.h"
#include "util/Tiling.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QWindow>

namespace {
// Neither side a multiple of the tile, so the last row and column are cut.
constexpr int FormWidth = 460;
constexpr int FormHeight = 330;
const QColor TextColor(0x2b, 0x2a, 0x4c);

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(geometry);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, TextColor);
    l->setPalette(p);
    return l;
}

QFont sized(int points, bool bold = false, bool italic = false)
{
    QFont f; // only these fields are set; the family comes from the main window
    f.setPointSize(points);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

SplashForm::SplashForm(ShellService *shell, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), shell_(shell), picture1_(TileImage())
{
    setObjectName(QStringLiteral("SplashForm"));
    setModal(true);
    // The main window carries the desktop's Japanese font.
    setAttribute(Qt::WA_WindowPropagation);
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFixedSize(FormWidth, FormHeight);

    Image1 = label(this, "Image1", QString(), QRect(56, 34, 48, 48));
    Image1->setPixmap(ProgramIcon(AppIds::quillbox()).pixmap(48, 48));
    Image1->setAccessibleName(QStringLiteral("Quillbox のアイコン"));
    Label1 = label(this, "Label1", QStringLiteral("Quillbox"), QRect(116, 26, 250, 44));
    Label1->setFont(sized(24, true));
    Label2 = label(this, "Label2", QStringLiteral("Memo"), QRect(120, 70, 120, 26));
    Label2->setFont(sized(14, false, true));
    lblVer = label(this, "lblVer", QStringLiteral("Ver.0.0.00"), QRect(250, 72, 160, 24));
    lblVer->setFont(sized(11));
    auto *line1 = new QFrame(this);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(40, 108, FormWidth - 80, 3);
    Label4 = label(this, "Label4",
                   QStringLiteral("このソフトウェアは無償で利用できます。利用によって生じたいかなる損害についても、"
                                  "作者は責任を負いません。"),
                   QRect(60, 120, FormWidth - 120, 48));
    Label4->setWordWrap(true);
    Label5 = label(this, "Label5", QStringLiteral("作者のページ: ") + MakerInfo::WebPage, QRect(60, 172, FormWidth - 90, 22));
    QFont link = sized(9);
    link.setUnderline(true);
    Label5->setFont(link);
    Label5->setCursor(Qt::PointingHandCursor);
    Label5->setAccessibleName(QStringLiteral("作者のページを開く: ") + MakerInfo::WebPage);
    Label5->installEventFilter(this);
    Label3 = label(this, "Label3", QStringLiteral("制作: ") + MakerInfo::Author, QRect(60, 198, FormWidth - 120, 22));
    Label6 = label(this, "Label6", QStringLiteral("Qt 6 で作られています。カード編集は QuillboxCards、キーコードは Tapscope で。"),
                   QRect(60, 222, FormWidth - 120, 40));
    Label6->setWordWrap(true);
    for (QLabel *l : {Label3, Label4, Label6})
        l->setFont(sized(9));

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry((FormWidth - 100) / 2, 272, 100, 30);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);

    Form_Load();
}

void SplashForm::Form_Load()
{
    lblVer->setText(QStringLiteral(" Ver.") + VersionText());
}

QPixmap SplashForm::TileImage()
{
    // A pale paper with a faint diagonal weave, drawn here rather than shipped.
    QPixmap tile(TileSize, TileSize);
    tile.fill(QColor(0xf6, 0xf0, 0xdc));
    QPainter p(&tile);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0xe4, 0xd6, 0xb0));
    for (int d = -TileSize; d < TileSize; d += 10)
        p.drawLine(d, 0, d + TileSize, TileSize);
    p.setPen(QColor(0xd8, 0xc4, 0x94));
    p.drawPoint(TileSize / 2, TileSize / 4);
    p.drawPoint(TileSize / 4, TileSize * 3 / 4);
    return tile;
}

void SplashForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    TilePicture(painter, width(), height(), picture1_, picture1_.width(), picture1_.height());
}

void SplashForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, width(), height()), CornerEllipse / 2.0, CornerEllipse / 2.0);
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
}

void SplashForm::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}

bool SplashForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label5 && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label5_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SplashForm::Label5_Click()
{
    if (shell_)
        shell_->openUrl(MakerInfo::WebPage); // a failure is not shown
}
