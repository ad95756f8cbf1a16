#pragma once
// Tapscope's one window: the hot-key field, the "KeyCode 取得" label button that shows the
// field's key code and mask, an instruction and a legend of the mask's bits.
#include "platform/desktop/WidgetWindow.h"

#include <QWidget>
#include <memory>

class QLabel;
class QMessageBox;
class clsHotKeyCtrl;

// "Tap Scope Ver.1.0.0": the product name and Tapscope's own version.
QString Form1Caption();

class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    win::HWND hwnd() const { return window_.hwnd(); }
    clsHotKeyCtrl *hotKey() const { return mclsHotKey.get(); }

    void Form_Load();
    void btnTapscope_Click();
    void btnTapscope_MouseDown();
    void btnTapscope_MouseUp();
    void Form_Unload();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void layOut();
    static void keepTitleWhole(QMessageBox &box);

    WidgetWindow window_;
    std::unique_ptr<clsHotKeyCtrl> mclsHotKey;
    QLabel *btnTapscope = nullptr;
    QLabel *Label1 = nullptr;
    QWidget *Line1 = nullptr;
    QLabel *Label2 = nullptr;
};
