// QuillboxCards: the card editor of the Quillbox family.
#include "cards/CardsWindow.h"
#include "platform/AppIds.h"
#include "platform/UserStore.h"
#include "platform/desktop/ProgramIcon.h"
#include "platform/desktop/QtJapanese.h"
#include "platform/QtPlatformChoice.h"
#include "platform/x11/X11Display.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

namespace {

QString versionText()
{
    return QStringLiteral("QuillboxCards %1.%2.%3").arg(QB_VERSION_MAJOR).arg(QB_VERSION_MINOR).arg(QB_VERSION_REVISION);
}

// Quillbox looks for the card editor where the editor recorded its own path.
void recordOwnPath()
{
    const QString app = QStringLiteral("Fennecs SoftWares");
    const QString section = QStringLiteral("Vellum");
    const QString key = QStringLiteral("Path");
    const QString self = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    FileUserStore store;
    if (store.GetSetting(app, section, key) != self)
        store.SaveSetting(app, section, key, self);
}

} // namespace

int main(int argc, char **argv)
{
    const char *file = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s\n", qUtf8Printable(versionText()));
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: QuillboxCards [--version] [CARD-FILE]\n");
            return 0;
        }
        if (std::strcmp(argv[i], "--") == 0 && i + 1 < argc && !file) {
            file = argv[++i];
            continue;
        }
        if (argv[i][0] == '-' || file) {
            std::fprintf(stderr, "usage: QuillboxCards [--version] [CARD-FILE]\n");
            return 2;
        }
        file = argv[i];
    }

    PreferXcbPlatform();
    if (!RequireX11Display(QStringLiteral("QuillboxCards")))
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuillboxCards"));
    LoadQtJapanese(app);
    QApplication::setApplicationVersion(versionText());
    QGuiApplication::setDesktopFileName(AppIds::quillboxCards());
    QApplication::setWindowIcon(ProgramIcon(AppIds::quillboxCards()));
    recordOwnPath();

    CardsWindow window;
    if (file)
        window.openFile(QFile::decodeName(file));
    window.show();
    return app.exec();
}
