// The editor window's keys: the window's commands win over the fields' own bindings except
// Delete, which edits text in a field and removes the card in the list.
#include "cards/CardCommands.h"
#include "cards/CardModel.h"
#include "cards/CardsWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUndoStack>

namespace {

// UTF-8, so that a body can hold a no-break space.
const QByteArray Utf8Cards("\xef\xbb\xbf" "a\1g\1x\1b\1g\1y\xc2\xa0\1c\1h\1z\1");

QStringList titles(const CardModel &model)
{
    QStringList out;
    for (int row = 0; row < model.count(); ++row)
        out << model.card(row).title;
    return out;
}

} // namespace

// What an input method hands in to a field as committed text.
struct CommitWatch : QObject {
    QString text;
    explicit CommitWatch(QObject *field) { field->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::InputMethod)
            text += static_cast<QInputMethodEvent *>(event)->commitString();
        return false;
    }
};

class TestCardsWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<CardsWindow> window_;

    QString file() const { return dir_.filePath(QStringLiteral("w.vlw")); }

    bool writeFile(const QByteArray &bytes)
    {
        QFile f(file());
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }

    QWidget *field(const QString &name) const
    {
        if (name == QLatin1String("list"))
            return window_->findChild<QTreeView *>();
        if (name == QLatin1String("title"))
            return fieldByAccessibleName(QStringLiteral("タイトル"));
        if (name == QLatin1String("group"))
            return window_->findChild<QComboBox *>();
        return window_->findChild<QPlainTextEdit *>();
    }

    QWidget *fieldByAccessibleName(const QString &name) const
    {
        for (QWidget *w : window_->findChildren<QWidget *>())
            if (w->accessibleName() == name)
                return w;
        return nullptr;
    }

    QStringList cardTexts() const
    {
        QStringList out;
        for (int row = 0; row < window_->model()->count(); ++row) {
            const Card &card = window_->model()->card(row);
            out << card.title + u'|' + card.group + u'|' + card.body;
        }
        return out;
    }

    int currentRow() const
    {
        return window_->findChild<QTreeView *>()->currentIndex().row();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(writeFile(Utf8Cards));
        window_ = std::make_unique<CardsWindow>();
        QVERIFY(window_->openFile(file()));
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        auto *list = window_->findChild<QTreeView *>();
        list->setCurrentIndex(list->model()->index(1, 0));
    }

    void cleanup()
    {
        window_->undoStack()->setClean(); // closing asks about unsaved changes otherwise
        window_.reset();
    }

    void keys_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("focusAfter");

        const QStringList abc{"a", "b", "c"};
        QTest::newRow("Delete in the list removes") << "list" << "" << QKeySequence(Qt::Key_Delete) << QStringList{"a", "c"} << 1 << "list";
        QTest::newRow("Delete in a title deletes a letter")
            << "title" << "" << QKeySequence(Qt::Key_Delete) << QStringList{"a", "", "c"} << 1 << "title";
        QTest::newRow("Ctrl+N adds after, focus in its title")
            << "list" << "" << QKeySequence(Qt::CTRL | Qt::Key_N) << QStringList{"a", "b", "", "c"} << 2 << "title";
        QTest::newRow("Ctrl+D in the body duplicates")
            << "body" << "" << QKeySequence(Qt::CTRL | Qt::Key_D) << QStringList{"a", "b", "b", "c"} << 2 << "body";
        QTest::newRow("Alt+Up in the group moves up")
            << "group" << "" << QKeySequence(Qt::ALT | Qt::Key_Up) << QStringList{"b", "a", "c"} << 0 << "group";
        QTest::newRow("Alt+Down in a title moves down")
            << "title" << "" << QKeySequence(Qt::ALT | Qt::Key_Down) << QStringList{"a", "c", "b"} << 2 << "title";
        QTest::newRow("Ctrl+Z in a title undoes the typing")
            << "title" << "XY" << QKeySequence(Qt::CTRL | Qt::Key_Z) << abc << 1 << "title";
        QTest::newRow("Ctrl+Z in the list brings a card back")
            << "list" << "" << QKeySequence(Qt::CTRL | Qt::Key_Z) << abc << 1 << "list";
        QTest::newRow("Tab from the title to the group") << "title" << "" << QKeySequence(Qt::Key_Tab) << abc << 1 << "group";
        QTest::newRow("Tab from the group to the body") << "group" << "" << QKeySequence(Qt::Key_Tab) << abc << 1 << "body";
    }

    void keys()
    {
        QFETCH(QString, focus);
        QFETCH(QString, typed);
        QFETCH(QKeySequence, key);
        QFETCH(QStringList, titles);
        QFETCH(int, current);
        QFETCH(QString, focusAfter);

        if (QTest::currentDataTag() == QLatin1String("Ctrl+Z in the list brings a card back")) {
            QTest::keyClick(field(QStringLiteral("list")), Qt::Key_Delete);
            QCOMPARE(window_->model()->count(), 2);
        }
        QWidget *w = field(focus);
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
        QTest::keyClicks(w, typed);
        if (!typed.isEmpty())
            QCOMPARE(window_->model()->card(1).title, typed + QStringLiteral("b"));
        QTest::keySequence(w, key);
        QCOMPARE(::titles(*window_->model()), titles);
        QCOMPARE(currentRow(), current);
        QCOMPARE(QApplication::focusWidget(), field(focusAfter));
        if (key == QKeySequence(Qt::CTRL | Qt::Key_Z)) {
            QCOMPARE(static_cast<QLineEdit *>(field(QStringLiteral("title")))->text(), QStringLiteral("b"));
            // Undone in the file's history, not by the field's own undo.
            QVERIFY(!window_->undoStack()->canUndo());
            QVERIFY(window_->undoStack()->canRedo());
        }
    }

    // A typed line break is CR LF in the card; a no-break space the file held stays one.
    void bodyTyping()
    {
        QWidget *body = field(QStringLiteral("body"));
        body->setFocus();
        QTest::keyClick(body, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClicks(body, QStringLiteral("two"));
        QCOMPARE(window_->model()->card(1).body, QStringLiteral("y\u00A0\r\ntwo"));
        QVERIFY(window_->save());
        QFile f(file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray(Utf8Cards).replace("\xa0\1", "\xa0\r\ntwo\1"));
    }

    // A file its owner made read-only is replaced only when the user says so; its mode stays.
    void readOnlyFileAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");
        QTest::newRow("kept") << int(QMessageBox::No) << false;
        QTest::newRow("replaced") << int(QMessageBox::Yes) << true;
    }
    void readOnlyFileAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, saved);
        const QString readOnly = dir_.filePath(QStringLiteral("ro-%1.vlw").arg(answer));
        QVERIFY(QFile::copy(file(), readOnly));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(window_->openFile(readOnly));
        window_->model()->setField(0, CardField::Title, QStringLiteral("changed"));
        QString shown;
        QTimer::singleShot(0, this, [&shown, answer] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            box->done(answer);
        });
        QCOMPARE(window_->save(), saved);
        QVERIFY2(shown.contains(QStringLiteral("読み取り専用")), qPrintable(shown));
        QFile f(readOnly);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().contains("changed"), saved);
        QCOMPARE(f.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther), QFile::Permissions());
    }

    // An input method's composition is text the user sees: whatever the user does next acts on
    // it as committed, and nothing is left behind to be inserted later, unseen.
    void compositionIsCommittedBeforeCommands_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("key"); // empty: undo chosen from the menu, opened with the mouse
        QTest::addColumn<QStringList>("cards"); // title|group|body of each card afterwards

        // "x" is typed first, then "てすと" composed after it.
        const QString a = QStringLiteral("a|g|x"), c = QStringLiteral("c|h|z");
        const QString b = QStringLiteral("b|g|y\u00A0");
        QTest::newRow("Ctrl+Z undoes it with the typing") << "body" << QKeySequence(Qt::CTRL | Qt::Key_Z) << QStringList{a, b, c};
        QTest::newRow("undo from the menu") << "body" << QKeySequence() << QStringList{a, b, c};
        QTest::newRow("Ctrl+Shift+Z redoes nothing") << "title" << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                                                     << QStringList{a, "bxてすと|g|y\u00A0", c};
        QTest::newRow("Ctrl+A selects it too") << "title" << QKeySequence(Qt::CTRL | Qt::Key_A)
                                               << QStringList{a, "bxてすと|g|y\u00A0", c};
        QTest::newRow("Ctrl+V pastes after it") << "title" << QKeySequence(Qt::CTRL | Qt::Key_V)
                                                << QStringList{a, "bxてすとP|g|y\u00A0", c};
        QTest::newRow("Ctrl+N keeps it in its card") << "body" << QKeySequence(Qt::CTRL | Qt::Key_N)
                                                     << QStringList{a, "b|g|y\u00A0xてすと", "||", c};
        QTest::newRow("Ctrl+D copies it") << "group" << QKeySequence(Qt::CTRL | Qt::Key_D)
                                          << QStringList{a, "b|gxてすと|y\u00A0", "b|gxてすと|y\u00A0", c};
        QTest::newRow("Alt+Up moves it with its card") << "title" << QKeySequence(Qt::ALT | Qt::Key_Up)
                                                       << QStringList{"bxてすと|g|y\u00A0", a, c};
    }

    void compositionIsCommittedBeforeCommands()
    {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, key);
        QFETCH(QStringList, cards);
        QApplication::clipboard()->setText(QStringLiteral("P"));
        QWidget *w = field(focus);
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
        QTest::keyClick(w, Qt::Key_End, focus == QLatin1String("body") ? Qt::ControlModifier : Qt::NoModifier);
        QTest::keyClick(w, Qt::Key_X);
        QInputMethodEvent composing(QStringLiteral("てすと"), {});
        QApplication::sendEvent(w, &composing);
        QVERIFY(!cardTexts().join(QString()).contains(QStringLiteral("てすと"))); // shown, not yet text
        // The field's text takes the composition only from the input method, which would hand
        // in whatever it still holds at the next change of focus.
        CommitWatch commits(w);

        if (key.isEmpty()) {
            auto *edit = window_->menuBar()->actions().at(1)->menu();
            edit->popup(window_->mapToGlobal(QPoint(10, 10)));
            QTRY_VERIFY(edit->isVisible());
            edit->actions().at(0)->trigger();
            edit->hide();
        } else {
            QTest::keySequence(QApplication::focusWidget(), key);
        }
        QCOMPARE(commits.text, QStringLiteral("てすと"));
        QCOMPARE(cardTexts(), cards);
        if (auto *body = qobject_cast<QPlainTextEdit *>(w)) // nothing left shown as composing
            QCOMPARE(body->textCursor().block().layout()->preeditAreaText(), QString());
        if (key == QKeySequence(Qt::CTRL | Qt::Key_A))
            QCOMPARE(static_cast<QLineEdit *>(w)->selectedText(), QStringLiteral("bxてすと"));
    }

    // The status bar shows the encoding and its menu changes it; a save in Shift_JIS names the
    // characters it cannot hold, and Cancel shows the first of them.
    void encodingChoiceAndQuestion()
    {
        auto *status = window_->statusBar()->findChild<QToolButton *>();
        QVERIFY(status);
        QCOMPARE(status->accessibleName(), QStringLiteral("文字コード"));
        QCOMPARE(status->text(), QStringLiteral("UTF-8 (BOM付き)"));
        status->menu()->actions().at(0)->trigger();
        QCOMPARE(status->text(), QStringLiteral("Shift_JIS"));
        QVERIFY(!window_->undoStack()->isClean());
        window_->undoStack()->push(new EditFieldCommand(window_->model(), 0, CardField::Title, QStringLiteral("a😀")));

        const auto answer = [this](QMessageBox::StandardButton button, QString *shown) {
            QTimer::singleShot(0, this, [=] {
                QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
                auto *box = static_cast<QMessageBox *>(QApplication::activeModalWidget());
                *shown = box->text();
                box->button(button)->click();
            });
        };
        QString shown;
        answer(QMessageBox::Cancel, &shown);
        QVERIFY(!window_->save());
        QVERIFY2(shown.contains(QStringLiteral("2 文字")) && shown.contains(QStringLiteral("「😀」(U+1F600)"))
                     && shown.contains(QStringLiteral("2 枚目のカード「b」の本文: 「\u00A0」(U+00A0)")),
                 qPrintable(shown));
        QCOMPARE(currentRow(), 0);
        QCOMPARE(window_->focusWidget(), field(QStringLiteral("title")));
        QCOMPARE(static_cast<QLineEdit *>(field(QStringLiteral("title")))->selectedText(), QStringLiteral("😀"));

        window_->undoStack()->undo(); // the no-break space of the body is left
        answer(QMessageBox::Cancel, &shown);
        QVERIFY(!window_->save());
        QCOMPARE(currentRow(), 1);
        QCOMPARE(static_cast<QPlainTextEdit *>(field(QStringLiteral("body")))->textCursor().selectedText(),
                 QStringLiteral("\u00A0"));

        answer(QMessageBox::Save, &shown);
        QVERIFY(window_->save());
        QCOMPARE(status->text(), QStringLiteral("UTF-8 (BOM付き)"));
        QFile f(file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), Utf8Cards);
        window_->undoStack()->undo();
        QCOMPARE(status->text(), QStringLiteral("Shift_JIS"));
    }

    // A file that cannot be read is reported and the window never takes it as its own.
    void unreadableFileIsNotTaken()
    {
        const QString folder = dir_.filePath(QStringLiteral("folder.vlw"));
        QVERIFY(QDir().mkpath(folder));
        QString shown;
        QTimer::singleShot(0, this, [&shown] {
            QTRY_VERIFY(QApplication::activeModalWidget());
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->text();
            box->accept();
        });
        QVERIFY(!window_->openFile(folder));
        QVERIFY(shown.contains(folder));
        QCOMPARE(window_->filePath(), file());
        QCOMPARE(window_->model()->count(), 3);
    }
};

QTEST_MAIN(TestCardsWindow)
#include "tst_cardswindow.moc"
