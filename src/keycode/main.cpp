// Tapscope: shows the virtual-key code and modifier mask of a key combination.
#include "keycode/Form1.h"
#include "platform/AppIds.h"
#include "platform/desktop/ProgramIcon.h"
#include "platform/desktop/QtJapanese.h"
#include "platform/QtPlatformChoice.h"
#include "platform/x11/X11Display.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qUtf8Printable(Form1Caption()));
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: Tapscope [--version | --help]\n"
                    "Type a key combination into the field and press \"KeyCode 取得\" to see its key code and mask.\n");
        return 0;
    }
    PreferXcbPlatform();
    if (!RequireX11Display(QStringLiteral("Tapscope")))
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tapscope"));
    LoadQtJapanese(app);
    QGuiApplication::setDesktopFileName(AppIds::tapscope());
    QApplication::setWindowIcon(ProgramIcon(AppIds::tapscope()));
    Form1 form;
    form.Form_Load();
    form.show();
    return app.exec();
}
