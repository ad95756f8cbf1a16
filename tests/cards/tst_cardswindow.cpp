// The editor window's keys: the window's commands win over the fields' own bindings except
// Delete, which edits text in a field and removes the card in the list.
#include "cards/CardModel.h"
#include "cards/CardsWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
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
