#include "util/EtchedLine.h"

#include <QPainter>
#include <QWidget>

namespace {

class EtchedRule : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 1, width() - 1, 1);
    }
};

} // namespace

void DrawEtchedLine(QWidget *window, int x, int y, int width)
{
    if (!window || width <= 0)
        return;
    auto *rule = new EtchedRule(window);
    rule->setObjectName(QStringLiteral("EtchedLine"));
    rule->setAttribute(Qt::WA_TransparentForMouseEvents);
    rule->setGeometry(x, y, width + 1, 2); // both ends inclusive
    rule->show();
}
