// The calculator bar's command steps, with the clipboard and the paste replaced by recorders.
#include "calc/frmCalc.h"
#include "platform/ClipboardChain.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

class TestFrmCalc : public QObject
{
    Q_OBJECT

    QStringList clipboard_;
    int pastes_ = 0;
    std::function<void()> duringPaste_;

    std::unique_ptr<frmCalc> makeBar(bool split, bool paste)
    {
        clipboard_.clear();
        pastes_ = 0;
        CalcServices services;
        services.setClipboardText = [this](const QString &text) { clipboard_.append(text); };
        services.pasteIntoPrevious = [this] {
            ++pastes_;
            if (duringPaste_)
                duringPaste_();
        };
        auto bar = std::make_unique<frmCalc>(services);
        bar->MenuRightSplit3->setChecked(split);
        bar->MenuRightPasteAfterCopy->setChecked(paste);
        bar->show();
        return bar;
    }

    static void enter(frmCalc &bar, const QString &text, Qt::KeyboardModifiers mods)
    {
        bar.txtCalc->setEditText(text);
        QTest::keyClick(bar.txtCalc, Qt::Key_Return, mods);
    }

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QStringList>("inputs"); // entered in turn, the last one with mods
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<bool>("split");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("clipboard");
        QTest::addColumn<bool>("hidden"); // hidden and pasted once
        QTest::addColumn<QStringList>("history");
        QTest::addColumn<QString>("probe"); // calculated afterwards: variables and "n"
        QTest::addColumn<QString>("probeBox");

        const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        const QString unknown = QStringLiteral("Error. 0x80040006 変数が定義されていません");
        const QString byZero = QStringLiteral("Error. 0x80040011 0で割ることはできません");
        QTest::newRow("commas removed, grouped") << QStringList{"1,234+1"} << none << true << true << "1,235"
                                                 << QStringList{} << false << QStringList{"1234+1"} << "n" << "1,235";
        QTest::newRow("commas removed, plain") << QStringList{"1,234+1"} << none << false << true << "1235"
                                               << QStringList{} << false << QStringList{"1234+1"} << "n" << "1,235";
        QTest::newRow("million grouped") << QStringList{"1000*1000"} << none << true << false << "1,000,000"
                                         << QStringList{} << false << QStringList{"1000*1000"} << "" << "";
        QTest::newRow("million plain") << QStringList{"1000*1000"} << none << false << false << "1000000"
                                       << QStringList{} << false << QStringList{"1000*1000"} << "" << "";
        QTest::newRow("no trailing point") << QStringList{"2*3"} << none << true << true << "6" << QStringList{}
                                           << false << QStringList{"2*3"} << "" << "";
        QTest::newRow("Ctrl+Enter copies expression and result, pastes")
            << QStringList{"1000+2"} << ctrl << true << true << "1,002" << QStringList{"1000+2=1,002"} << true
            << QStringList{"1000+2"} << "" << "";
        QTest::newRow("Shift+Enter copies the result") << QStringList{"1000*2"} << shift << true << false << "2,000"
                                                       << QStringList{"2,000"} << false << QStringList{"1000*2"}
                                                       << "" << "";
        QTest::newRow("Shift+Ctrl+Enter is Shift+Enter") << QStringList{"1000*2"} << (shift | ctrl) << false << true
                                                         << "2000" << QStringList{"2000"} << true
                                                         << QStringList{"1000*2"} << "" << "";
        QTest::newRow("failure copies and pastes nothing, keeps n")
            << QStringList{"5", "1/0"} << shift << true << true << byZero << QStringList{} << false
            << QStringList{"1/0", "5"} << "n" << "5";
        QTest::newRow("set without =") << QStringList{"set y"} << none << true << true
                                       << frmCalc::SetSyntaxError << QStringList{} << false << QStringList{}
                                       << "y" << unknown;
        QTest::newRow("SET is a command word") << QStringList{"SET y=5"} << none << true << true << "5"
                                               << QStringList{} << false << QStringList{"5"} << "y*n" << "25";
        QTest::newRow("set defines the name trimmed") << QStringList{"set  x =1+2"} << ctrl << true << false << "3"
                                                      << QStringList{"1+2=3"} << false << QStringList{"1+2"}
                                                      << "x+n" << "6";
        QTest::newRow("failed set keeps the variable")
            << QStringList{"set x=7", "set x=1/0"} << none << true << true << byZero << QStringList{} << false
            << QStringList{"1/0", "7"} << "x" << "7";
        QTest::newRow("clear copies 0 and pastes") << QStringList{"7", "clear"} << shift << true << true << "0"
                                                   << QStringList{"0"} << true << QStringList{"clear", "7"} << "n+1"
                                                   << "1";
        QTest::newRow("clear with Ctrl+Enter") << QStringList{"clear"} << ctrl << false << false << "0"
                                               << QStringList{"clear=0"} << false << QStringList{"clear"} << "" << "";
        // The box's own limit would cut both at 32,767 characters.
        const QString sum = QStringList(20000, QStringLiteral("1")).join(u'+');
        QTest::newRow("40,000 characters calculated whole") << QStringList{sum} << shift << false << false << "20000"
                                                            << QStringList{"20000"} << false << QStringList{sum}
                                                            << "" << "";
        QTest::newRow("longer than the limit: refused, not cut")
            << QStringList{QString(frmCalc::MaxExpressionLength + 5, u'1')} << shift << true << true
            << frmCalc::TooLongError << QStringList{} << false << QStringList{} << "" << "";
        QTest::newRow("clear forgets pi") << QStringList{"Clear"} << none << true << true << "0" << QStringList{}
                                          << false << QStringList{"Clear"} << "pi" << unknown;
        QTest::newRow("history newest first with duplicates")
            << QStringList{"1+1", "2+2", "1+1"} << none << true << true << "2" << QStringList{} << false
            << QStringList{"1+1", "2+2", "1+1"} << "pi" << "3.14159265358979";
        QTest::newRow("full-width as typed with the input method")
            << QStringList{"ｓｅｔ　ｘ＝１，２３４＋５"} << none << false << false << "1239" << QStringList{} << false
            << QStringList{"1234+5"} << "x×２" << "2,478";
        QTest::newRow("small result in exponent form") << QStringList{"1/30000"} << none << false << false
                                                       << "3.33333333333333E-05" << QStringList{} << false
                                                       << QStringList{"1/30000"} << "" << "";
    }

    void commands()
    {
        QFETCH(QStringList, inputs);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(bool, split);
        QFETCH(bool, paste);
        QFETCH(QString, box);
        QFETCH(QStringList, clipboard);
        QFETCH(bool, hidden);
        QFETCH(QStringList, history);
        QFETCH(QString, probe);
        QFETCH(QString, probeBox);

        auto bar = makeBar(split, paste);
        for (int i = 0; i < inputs.size(); ++i)
            enter(*bar, inputs[i], i + 1 == inputs.size() ? mods : Qt::NoModifier);
        QCOMPARE(bar->txtCalc->currentText(), box);
        QCOMPARE(bar->txtCalc->lineEdit()->selectedText(), box == frmCalc::SetSyntaxError ? QString() : box);
        // A failure's whole reason, which the narrow bar may cut, is the box's tooltip.
        QCOMPARE(bar->txtCalc->toolTip(), box.startsWith(QStringLiteral("Error.")) ? box : QString());
        QCOMPARE(clipboard_, clipboard);
        QCOMPARE(pastes_, hidden ? 1 : 0);
        QCOMPARE(bar->isHidden(), hidden);
        QCOMPARE(bar->history(), history);
        if (!probe.isEmpty()) {
            bar->MenuRightSplit3->setChecked(true);
            enter(*bar, probe, Qt::NoModifier);
            QCOMPARE(bar->txtCalc->currentText(), probeBox);
        }
    }

    void hotKeyDuringThePasteKeepsItsExpression()
    {
        // The paste serves the event loop; the calculator's hot key handled there opens the bar
        // again with the next clipboard text, which the first command must not overwrite.
        auto bar = makeBar(false, true);
        duringPaste_ = [&bar] {
            ClipboardSnapshot next;
            next.hasText = true;
            next.text = QStringLiteral("7*6");
            bar->setExpressionFromClipboard(next);
            bar->show();
        };
        enter(*bar, QStringLiteral("1+1"), Qt::ShiftModifier);
        duringPaste_ = nullptr;
        QCOMPARE(clipboard_, QStringList{QStringLiteral("2")});
        QCOMPARE(bar->txtCalc->currentText(), QStringLiteral("7*6"));
    }

    void startsWithFirstClipboardLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("hasText");
        QTest::addColumn<bool>("secret");
        QTest::addColumn<QString>("box");
        QTest::newRow("first line, blanks stripped") << "  12+3  \r\n4*5" << true << false << "12+3";
        QTest::newRow("leading break") << "\r\n7*8\r\n9" << true << false << "7*8";
        QTest::newRow("leading break only") << "\r\n7*8" << true << false << "";
        QTest::newRow("only U+0020 is a blank") << "\t1+1 " << true << false << "\t1+1";
        QTest::newRow("secret") << "" << false << true << "";
        QTest::newRow("no text") << "" << false << false << "";
    }

    void startsWithFirstClipboardLine()
    {
        QFETCH(QString, text);
        QFETCH(bool, hasText);
        QFETCH(bool, secret);
        QFETCH(QString, box);
        auto bar = makeBar(true, true);
        bar->txtCalc->setEditText(QStringLiteral("old"));
        ClipboardSnapshot clip;
        clip.text = text;
        clip.hasText = hasText;
        clip.secret = secret;
        bar->setExpressionFromClipboard(clip);
        QCOMPARE(bar->txtCalc->currentText(), box);
    }

    void menuOpens_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Alt+Enter") << "alt+enter";
        QTest::newRow("Alt+Space") << "alt+space";
        QTest::newRow("right press on =") << "right";
    }

    void menuOpens()
    {
        QFETCH(QString, how);
        auto bar = makeBar(true, true);
        bar->txtCalc->setEditText(QStringLiteral("1+1"));
        if (how == QStringLiteral("alt+enter"))
            QTest::keyClick(bar->txtCalc, Qt::Key_Return, Qt::AltModifier);
        else if (how == QStringLiteral("alt+space"))
            QTest::keyClick(bar->txtCalc, Qt::Key_Space, Qt::AltModifier);
        else
            QTest::mousePress(bar->btnCalc, Qt::RightButton);
        QTRY_VERIFY(bar->MenuRightClick->isVisible());
        // Only the menu opened: nothing was calculated.
        QCOMPARE(bar->txtCalc->currentText(), QStringLiteral("1+1"));
        QVERIFY(bar->history().isEmpty());
        QVERIFY(bar->MenuRightCalc[2]->text().endsWith(QStringLiteral("\tCtrl+Enter")));
        bar->MenuRightClick->close();
    }
};

QTEST_MAIN(TestFrmCalc)
#include "tst_frmcalc.moc"
