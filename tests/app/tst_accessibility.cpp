// Every window the programs build, walked control by control: whatever takes the focus or acts
// on a click must have a name a screen reader can say, so a window added later cannot forget it.
#include "app/MainForm.h"
#include "app/SplashForm.h"
#include "cards/CardsWindow.h"
#include "keycode/Form1.h"
#include "lookup/DicLoader.h"
#include "lookup/DicPlugin.h"
#include "platform/UserStore.h"
#include "../util/FakeShell.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool insideComposite(const QWidget *w)
{
    // Qt's own helpers (a line edit's clear button, a menu bar's overflow button) carry their
    // meaning in their owner.
    if (w->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<const QLineEdit *>(w->parentWidget()))
        return true;
    // The editor inside a combo or spin box is named through its owner; a web view's inner
    // widgets belong to the page.
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p)
            || p->inherits("QWebEngineView"))
            return true;
    }
    return false;
}

bool actsOnUser(const QWidget *w)
{
    return w->focusPolicy() != Qt::NoFocus || qobject_cast<const QAbstractButton *>(w)
           || w->cursor().shape() == Qt::PointingHandCursor;
}

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name).trimmed() : QString();
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyControlHasAName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        FakeShell shell;
        AppServices services;
        services.shell = &shell;
        MainForm form(AppPaths{dir.path(), QStringLiteral("Quillbox"), dir.path()}, services);
        form.Form_Load(QString()); // loads the calculator bar hidden
        form.webSearchWindow();
        SplashForm splash(&shell, &form);
        Form1 tapscope;
        tapscope.Form_Load();
        CardsWindow cards;

        // The dictionary window comes from its plugin, as the program loads it.
        DicLoader loader({QFileInfo(QStringLiteral(QUILLBOX_DIC_PLUGIN)).path()});
        QString error;
        DicPlugin *plugin = loader.plugin(&error);
        QVERIFY2(plugin, qPrintable(error));
        MemoryUserStore store;
        DicHost host;
        host.settings.read = [](const QString &) { return QString(); };
        host.settings.readOr = [](const QString &, const QString &def) { return def; };
        host.userStore = &store;
        host.productName = QStringLiteral("Quillbox with VLM");
        host.version = QStringLiteral("3.1.0");
        host.clipboardText = [] { return QString(); };
        host.setClipboardText = [](const QString &) {};
        host.activateWindow = [](QWidget *, unsigned long) {};
        plugin->setHost(host);
        QVERIFY(plugin->openWindow());

        QStringList unnamed;
        int checked = 0;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            QList<QWidget *> widgets = top->findChildren<QWidget *>();
            widgets.prepend(top);
            for (QWidget *w : widgets) {
                if (w->isWindow() && w != top)
                    continue; // walked as a top-level of its own
                if (!actsOnUser(w) || insideComposite(w))
                    continue;
                ++checked;
                if (accessibleName(w).isEmpty())
                    unnamed << QStringLiteral("%1 > %2 \"%3\"").arg(top->metaObject()->className(),
                                                                    w->metaObject()->className(), w->objectName());
            }
        }
        plugin->closeAll();
        QVERIFY(checked >= 30); // the walk itself must have found the controls
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("\n") + unnamed.join(u'\n')));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
