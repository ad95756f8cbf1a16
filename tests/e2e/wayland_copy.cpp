// A Wayland program that takes the clipboard through the compositor's clipboard control, with
// what wl-copy cannot offer: several MIME types at once, or a source that never answers. It prints
// "owner" once its copy is the selection and serves it until another copy replaces it or its
// standard input closes. With --slow MS it answers each request only after MS milliseconds.
//   wayland_copy TEXT [--hint VALUE] [--hang | --slow MS]
#include "platform/wayland/WaylandConnection.h"

#include "wlr-data-control-unstable-v1-client.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>
#include <wayland-client.h>

namespace {

struct Copy {
    QByteArray text, hint;
    bool hang = false;
    int slowMs = 0;
};

void writeAll(int fd, const QByteArray &data)
{
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n <= 0)
            return;
        done += n;
    }
}

const zwlr_data_control_source_v1_listener sourceListener = {
    [](void *data, zwlr_data_control_source_v1 *, const char *mimeType, int32_t fd) {
        const Copy &copy = *static_cast<Copy *>(data);
        if (copy.hang)
            return; // keeps the pipe open and never writes: a hung source
        const QByteArray answer = QByteArray(mimeType) == "x-kde-passwordManagerHint" ? copy.hint : copy.text;
        QTimer::singleShot(copy.slowMs, [fd, answer] {
            writeAll(fd, answer);
            ::close(fd);
        });
    },
    [](void *, zwlr_data_control_source_v1 *) { QCoreApplication::quit(); },
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: wayland_copy TEXT [--hint VALUE] [--hang | --slow MS]\n");
        return 2;
    }
    Copy copy;
    copy.text = args[0].toUtf8();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--hang"))
            copy.hang = true;
        else if (args[i] == QLatin1String("--slow") && i + 1 < args.size())
            copy.slowMs = args[++i].toInt();
        else if (args[i] == QLatin1String("--hint") && i + 1 < args.size())
            copy.hint = args[++i].toUtf8();
    }
    WaylandConnection *connection = WaylandConnection::shared();
    if (!connection) {
        std::fprintf(stderr, "wayland_copy: no Wayland display\n");
        return 1;
    }
    auto *seat = static_cast<wl_seat *>(connection->bind(&wl_seat_interface, 1));
    auto *manager = static_cast<zwlr_data_control_manager_v1 *>(connection->bind(&zwlr_data_control_manager_v1_interface, 1));
    if (!seat || !manager) {
        std::fprintf(stderr, "wayland_copy: the compositor offers no clipboard control\n");
        return 1;
    }
    zwlr_data_control_device_v1 *device = zwlr_data_control_manager_v1_get_data_device(manager, seat);
    zwlr_data_control_source_v1 *source = zwlr_data_control_manager_v1_create_data_source(manager);
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, &copy);
    for (const char *type : {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING"})
        zwlr_data_control_source_v1_offer(source, type);
    if (!copy.hint.isNull())
        zwlr_data_control_source_v1_offer(source, "x-kde-passwordManagerHint");
    zwlr_data_control_device_v1_set_selection(device, source);
    if (!connection->roundtrip()) {
        std::fprintf(stderr, "wayland_copy: the compositor did not answer\n");
        return 1;
    }
    std::printf("owner\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
    });
    return app.exec();
}
