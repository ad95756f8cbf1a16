// An input method's composition never reaches the text unseen. The input method here keeps
// what it composed as Qt's IBus client does: hiding the composition leaves it held, and the
// next change of focus hands in whatever is still held.
#include "util/CompositionGuard.h"

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

namespace {

struct HeldComposition {
    QString held;
    QWidget *field = nullptr;

    void send(const QString &preedit, const QString &commit = QString())
    {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QApplication::sendEvent(field, &event);
    }
    void focusMoves()
    {
        if (!held.isEmpty())
            send(QString(), held);
        held.clear();
    }
};

} // namespace

class TestCompositionGuard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nothingUnseenArrives_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("text"); // the field's text after the focus moved on
        QTest::newRow("the input method takes it back (Ctrl+Z in Mozc)") << "hide" << "x";
        QTest::newRow("Esc cancels it in the input method") << "cancel" << "x";
        QTest::newRow("Enter confirms it") << "confirm" << "xてすと";
        QTest::newRow("a command key passed on: committed, then replaced") << "ctrl+r" << "undone";
        QTest::newRow("Ctrl+A passed on: committed, then selected") << "ctrl+a" << "xてすと";
        QTest::newRow("a button that takes no focus") << "button" << "undone";
        QTest::newRow("a modifier alone changes nothing") << "shift" << "x";
    }

    void nothingUnseenArrives()
    {
        QFETCH(QString, then);
        QFETCH(QString, text);
        HeldComposition im;
        CompositionGuard guard(nullptr, [&im] { im.held.clear(); });

        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *field = new QPlainTextEdit(QStringLiteral("x"));
        auto *other = new QLineEdit;
        auto *button = new QPushButton(QStringLiteral("元に戻す"));
        button->setFocusPolicy(Qt::NoFocus);
        for (QWidget *w : {static_cast<QWidget *>(field), static_cast<QWidget *>(other), static_cast<QWidget *>(button)})
            layout->addWidget(w);
        // A command that replaces the field's text, as the card editor's undo does.
        auto *undo = new QAction(&window);
        undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
        window.addAction(undo);
        const auto replace = [field] { field->setPlainText(QStringLiteral("undone")); };
        connect(undo, &QAction::triggered, field, replace);
        connect(button, &QPushButton::clicked, field, replace);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        field->moveCursor(QTextCursor::End);

        im.field = field;
        im.held = QStringLiteral("てすと");
        im.send(im.held);
        QCOMPARE(field->toPlainText(), QStringLiteral("x"));
        QVERIFY(guard.composing());

        if (then == QLatin1String("hide")) {
            im.send(QString()); // held all the same
        } else if (then == QLatin1String("cancel")) {
            im.held.clear();
            im.send(QString());
        } else if (then == QLatin1String("confirm")) {
            im.held.clear();
            im.send(QString(), QStringLiteral("てすと"));
        } else if (then == QLatin1String("ctrl+r")) {
            QTest::keyClick(field, Qt::Key_R, Qt::ControlModifier);
        } else if (then == QLatin1String("ctrl+a")) {
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(field->textCursor().selectedText(), QStringLiteral("xてすと"));
        } else if (then == QLatin1String("button")) {
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            QTest::keyClick(field, Qt::Key_Shift);
        }
        QCOMPARE(guard.composing(), then == QLatin1String("shift"));

        im.focusMoves();
        other->setFocus();
        QCOMPARE(field->toPlainText(), then == QLatin1String("shift") ? QStringLiteral("xてすと") : text);
    }
};

QTEST_MAIN(TestCompositionGuard)
#include "tst_compositionguard.moc"
