#pragma once
// The version window: product name, version and credits on a tiled background, in a frameless
// window with rounded corners that the left button drags from any point of its surface.
#include <QDialog>

class QLabel;
class QPushButton;
class ShellService;

class SplashForm : public QDialog
{
    Q_OBJECT
public:
    // shell opens the maker's page; may be null (the line then does nothing).
    explicit SplashForm(ShellService *shell, QWidget *parent = nullptr);

    // The 50 x 50 tile of the background.
    static QPixmap TileImage();
    static constexpr int TileSize = 50;
    static constexpr int CornerEllipse = 200;

    QLabel *Label1 = nullptr, *Label2 = nullptr, *lblVer = nullptr, *Label3 = nullptr;
    QLabel *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr, *Image1 = nullptr;
    QPushButton *BtnOK = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();
    void Label5_Click();

    ShellService *shell_;
    QPixmap picture1_;
};
