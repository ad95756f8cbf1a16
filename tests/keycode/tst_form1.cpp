// Tapscope's window in-process: the key-code box, the pressed look of the label button,
// the focus coming back to the field, and a legend that is not cut off.
#include "keycode/Form1.h"
#include "keycode/HotKeyField.h"
#include "keycode/clsHotKeyCtrl.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestForm1 : public QObject
{
    Q_OBJECT

    static QLabel *label(Form1 &form, const QString &startingWith)
    {
        for (QLabel *l : form.findChildren<QLabel *>()) {
            if (l->text().startsWith(startingWith))
                return l;
        }
        return nullptr;
    }

private Q_SLOTS:
    void captionAndLayout()
    {
        Form1 form;
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tap Scope Ver.1.0.0"));
        auto *field = form.findChild<keycode::HotKeyField *>();
        QVERIFY(field);
        QCOMPARE(field->geometry(), QRect(10, 10, 150, 20));
        QLabel *legend = label(form, QStringLiteral(" KeyMask"));
        QVERIFY(legend);
        QVERIFY(legend->text().endsWith(QStringLiteral("\nWindowsKey - 8")));
        // Every line of the legend fits: the label is as tall as its text, and inside the window.
        QVERIFY(legend->height() >= legend->heightForWidth(legend->width()));
        QVERIFY(legend->geometry().bottom() < form.height());
        QLabel *instruction = label(form, QStringLiteral("上の入力欄"));
        QVERIFY(instruction && instruction->height() >= instruction->heightForWidth(instruction->width()));
        QVERIFY(instruction->geometry().bottom() < legend->geometry().top());
    }

    void keyCodeBox_data()
    {
        QTest::addColumn<int>("word"); // what the field holds
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("byKeyboard"); // Tab to the button, Space presses it
        QTest::newRow("Ctrl+Alt+F1") << 0x0670 << "KeyCode : 112\r\n\r\nKeyMask : 6" << false;
        QTest::newRow("Shift+Left") << 0x0925 << "KeyCode : 37\r\n\r\nKeyMask : 9" << false;
        QTest::newRow("nothing typed yet") << 0 << "KeyCode : 0\r\n\r\nKeyMask : 0" << false;
        QTest::newRow("by keyboard") << 0x0670 << "KeyCode : 112\r\n\r\nKeyMask : 6" << true;
    }
    void keyCodeBox()
    {
        QFETCH(int, word);
        QFETCH(QString, text);
        QFETCH(bool, byKeyboard);
        Form1 form;
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *field = form.findChild<keycode::HotKeyField *>();
        QTRY_VERIFY(field->hasFocus());
        win::SendMessage(form.hotKey()->phWnd(), keycode::HKM_SETHOTKEY, win::WPARAM(word), 0);

        QLabel *button = label(form, QStringLiteral("KeyCode 取得"));
        QVERIFY(button);
        if (byKeyboard) {
            QTest::keyClick(field, Qt::Key_Tab);
            QTRY_VERIFY(button->hasFocus());
        } else {
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
            QCOMPARE(button->frameShape(), QFrame::Box); // the pressed look
        }
        QString shownText, shownTitle;
        int buttons = -1;
        QMessageBox::Icon icon = QMessageBox::Critical;
        bool focusAway = false;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shownText = box->text();
            shownTitle = box->windowTitle();
            buttons = int(box->standardButtons());
            icon = box->icon();
            // Whatever held the focus meanwhile, closing the box must hand it back to the field.
            form.setFocus();
            focusAway = !field->hasFocus();
            box->button(QMessageBox::Ok)->click();
        });
        if (byKeyboard)
            QTest::keyClick(button, Qt::Key_Space);
        else
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(shownText, text);
        QCOMPARE(shownTitle, QStringLiteral("Tap Scope"));
        QCOMPARE(buttons, int(QMessageBox::Ok));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QVERIFY(focusAway);
        QCOMPARE(button->frameShape(), QFrame::NoFrame);
        QTRY_VERIFY(field->hasFocus());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
