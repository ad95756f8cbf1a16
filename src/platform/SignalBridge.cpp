#include "platform/SignalBridge.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_fds[2] = {-1, -1}; // [0] written by the handler, [1] read by the notifier
struct sigaction g_previous[sizeof kSignals / sizeof kSignals[0]];

void onSignal(int signo)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signo);
    // A full pipe only means exit requests are already waiting.
    [[maybe_unused]] ssize_t n = ::write(g_fds[0], &byte, 1);
    errno = saved;
}

} // namespace

SignalBridge::SignalBridge(QObject *parent)
    : QObject(parent)
{
    if (g_fds[0] >= 0)
        return; // another bridge owns the signals
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0) {
        g_fds[0] = g_fds[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalBridge::drain);

    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        ::sigaction(kSignals[i], &sa, &g_previous[i]);
}

SignalBridge::~SignalBridge()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    delete m_notifier;
    ::close(g_fds[0]);
    ::close(g_fds[1]);
    g_fds[0] = g_fds[1] = -1;
}

void SignalBridge::drain()
{
    unsigned char bytes[64];
    bool any = false;
    ssize_t n;
    while ((n = ::read(g_fds[1], bytes, sizeof bytes)) > 0) {
        m_lastSignal = bytes[n - 1];
        any = true;
    }
    // Several signals at once are one request; the shutdown runs once anyway.
    if (any)
        Q_EMIT exitRequested();
}
