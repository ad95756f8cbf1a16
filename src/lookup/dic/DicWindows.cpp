// The plugin object: opens dictionary windows for the program that loaded it.
#include "lookup/dic/frmDic.h"

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QOpenGLContext>
#include <QPointer>
#include <unistd.h>

// Exported by QtGui: sets the context every later context shares with.
void qt_gl_set_global_share_context(QOpenGLContext *context);

class DicWindows : public QObject, public DicPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuillboxDicPlugin_iid)
    Q_INTERFACES(DicPlugin)
public:
    void setHost(const DicHost &host) override
    {
        host_ = host;
        // The browser's sandbox cannot work for root; everyone else keeps it.
        if (::geteuid() == 0)
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        // The browser draws with contexts shared through a global one. Made here rather than at
        // start-up, so the program does not start the GL driver before the first window.
        if (!QOpenGLContext::globalShareContext()) {
            auto *context = new QOpenGLContext(QCoreApplication::instance());
            if (context->create())
                qt_gl_set_global_share_context(context);
        }
    }

    DicWindow *openWindow() override
    {
        auto *window = new frmDic(host_, [this] { openWindow(); });
        windows_.append(window);
        window->show();
        return window;
    }

    void closeAll() override
    {
        // Deleted here, not later: the browser pages must go before the application does.
        const QList<QPointer<frmDic>> windows = windows_;
        windows_.clear();
        for (const QPointer<frmDic> &window : windows) {
            if (!window)
                continue;
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            window->close();
            delete window.data();
        }
    }

    int openWindowCount() const override
    {
        int n = 0;
        for (const QPointer<frmDic> &window : windows_)
            n += window ? 1 : 0;
        return n;
    }

private:
    DicHost host_;
    QList<QPointer<frmDic>> windows_;
};

#include "DicWindows.moc"
