#include "platform/wayland/WaylandClipboard.h"

#include "platform/LineBreaks.h"
#include "platform/wayland/WaylandConnection.h"

#include "ext-data-control-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <functional>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

const char WaylandClipboard::OwnCopyMimeType[] = "application/x-quillbox-copy";

namespace {

// A text larger than this is not kept whole anywhere; reading stops there.
constexpr qsizetype MaxTextBytes = qsizetype(1) << 30;
const QByteArray PasswordHintMimeType = QByteArrayLiteral("x-kde-passwordManagerHint");

// One end of a transfer pipe with its watchers. Ends are often let go from their own watchers'
// signals, so the watchers are deleted later, by the event loop.
struct PipeEnd {
    PipeEnd(int fd, QSocketNotifier::Type type, QObject *context, const std::function<void()> &ready,
            const std::function<void()> &idle)
        : fd(fd), notifier(new QSocketNotifier(fd, type)), idleTimer(new QTimer)
    {
        QObject::connect(notifier, &QSocketNotifier::activated, context, ready);
        idleTimer->setSingleShot(true);
        QObject::connect(idleTimer, &QTimer::timeout, context, idle);
        touch();
    }
    ~PipeEnd()
    {
        notifier->setEnabled(false);
        notifier->deleteLater();
        idleTimer->stop();
        idleTimer->deleteLater();
        ::close(fd);
    }
    PipeEnd(const PipeEnd &) = delete;
    PipeEnd &operator=(const PipeEnd &) = delete;
    // The other side did something: it has ReadTimeoutMs again.
    void touch()
    {
        idleTimer->start(WaylandClipboard::ReadTimeoutMs);
        deadline.setRemainingTime(WaylandClipboard::ReadTimeoutMs);
    }

    const int fd;
    QSocketNotifier *notifier;
    QTimer *idleTimer;
    QDeadlineTimer deadline; // the same limit, for waits outside the event loop
};

} // namespace

// What the two clipboard-control protocols have in common, with their own listeners behind it.
struct WaylandClipboard::Backend {
    explicit Backend(WaylandClipboard *owner) : clip(owner) {}
    virtual ~Backend() = default;
    virtual void receive(void *offer, const char *mimeType, int fd) = 0;
    virtual void destroyOffer(void *offer) = 0;
    // A new source offering the MIME types, made the selection.
    virtual void *setSelection(const QList<QByteArray> &mimeTypes) = 0;
    virtual void destroySource(void *source) = 0;

    // Events, as both protocols deliver them.
    void offered(void *offer, const char *mimeType);
    void selection(void *offer);
    void send(void *source, const char *mimeType, int fd);
    void cancelled(void *source);
    void finished();

    // Reading the current selection: the password hint first where it is listed, then the text.
    struct Read {
        void *offer = nullptr;
        bool initial = false; // the selection found at start
        bool readingHint = false;
        QByteArray textMimeType;
        std::unique_ptr<PipeEnd> pipe; // the part being read
        QByteArray data;
    };
    void startPart(const QByteArray &mimeType);
    void readable();
    void partDone(bool complete);
    void deliver(const ClipboardSnapshot &snapshot);

    // Serving our own text to a program that pastes it.
    struct Write {
        std::unique_ptr<PipeEnd> pipe;
        QByteArray data;
        qsizetype written = 0;
    };
    void writable(Write *w);
    void dropWrite(Write *w);

    WaylandClipboard *clip;
    QHash<void *, QList<QByteArray>> offers; // live offers and their MIME types
    void *current = nullptr;                 // the selection's offer
    std::unique_ptr<Read> read;
    bool started = false; // the selection present at start has been announced
    void *source = nullptr; // our own selection, while it is the selection
    QString text;           // its text
    std::vector<std::unique_ptr<Write>> writes;
    ClipboardSnapshot latest;
    bool dead = false;
};

void WaylandClipboard::Backend::offered(void *offer, const char *mimeType)
{
    offers[offer].append(QByteArray(mimeType));
}

void WaylandClipboard::Backend::selection(void *offer)
{
    read.reset();
    // Offers other than the new selection are not needed any more.
    for (auto it = offers.begin(); it != offers.end();) {
        if (it.key() != offer) {
            destroyOffer(it.key());
            it = offers.erase(it);
        } else {
            ++it;
        }
    }
    current = offer;
    const bool initial = !started;
    started = true;
    // No selection (its owner quit): what was read last stays, as on X11.
    if (!offer)
        return;
    const QList<QByteArray> types = offers.value(offer);
    // Our own copy is known already; one made by another program that copied our marker is not ours
    // once our source has been replaced.
    if (source && types.contains(OwnCopyMimeType))
        return;
    read = std::make_unique<Read>();
    read->offer = offer;
    read->initial = initial;
    read->textMimeType = ChooseTextMimeType(types);
    read->readingHint = types.contains(PasswordHintMimeType);
    if (read->readingHint)
        startPart(PasswordHintMimeType);
    else if (!read->textMimeType.isEmpty())
        startPart(read->textMimeType);
    else
        deliver(ClipboardSnapshot());
}

void WaylandClipboard::Backend::startPart(const QByteArray &mimeType)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        deliver(ClipboardSnapshot());
        return;
    }
    receive(read->offer, mimeType.constData(), fds[1]);
    clip->connection_.flush();
    ::close(fds[1]); // the source holds its own copy now
    read->data.clear();
    read->pipe = std::make_unique<PipeEnd>(fds[0], QSocketNotifier::Read, clip, [this] { readable(); },
                                           [this] { partDone(false); });
}

void WaylandClipboard::Backend::readable()
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(read->pipe->fd, buffer, sizeof buffer);
        if (n > 0) {
            read->data.append(buffer, n);
            read->pipe->touch();
            if (read->data.size() > MaxTextBytes)
                return partDone(false);
            continue;
        }
        if (n == 0)
            return partDone(true);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            partDone(false);
        return;
    }
}

void WaylandClipboard::Backend::partDone(bool complete)
{
    Read *r = read.get();
    const QByteArray data = complete ? r->data : QByteArray();
    r->pipe.reset();
    if (r->readingHint) {
        r->readingHint = false;
        if (complete && data.trimmed() == "secret") {
            ClipboardSnapshot secret;
            secret.secret = true;
            return deliver(secret);
        }
        if (!r->textMimeType.isEmpty())
            return startPart(r->textMimeType);
        return deliver(ClipboardSnapshot());
    }
    ClipboardSnapshot snapshot;
    if (complete) {
        snapshot.hasText = true;
        snapshot.text = LineBreaks::fromClipboard(DecodeText(r->textMimeType, data));
    }
    deliver(snapshot);
}

void WaylandClipboard::Backend::deliver(const ClipboardSnapshot &snapshot)
{
    const bool initial = read->initial;
    read.reset();
    latest = snapshot;
    if (!initial)
        Q_EMIT clip->selectionRead(snapshot);
}

void WaylandClipboard::Backend::send(void *from, const char *mimeType, int fd)
{
    if (from != source) {
        ::close(fd);
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto w = std::make_unique<Write>();
    Write *raw = w.get();
    w->data = EncodeText(QByteArray(mimeType), text);
    // A reader that stops reading is given up, so that its pipe is not kept open for ever.
    w->pipe = std::make_unique<PipeEnd>(fd, QSocketNotifier::Write, clip, [this, raw] { writable(raw); },
                                        [this, raw] { dropWrite(raw); });
    writes.push_back(std::move(w));
    writable(raw);
}

void WaylandClipboard::Backend::writable(Write *w)
{
    while (w->written < w->data.size()) {
        const ssize_t n = ::write(w->pipe->fd, w->data.constData() + w->written, size_t(w->data.size() - w->written));
        if (n > 0) {
            w->written += n;
            w->pipe->touch();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return; // the rest when the reader has taken some
        break;
    }
    dropWrite(w); // done, or the reader went away
}

void WaylandClipboard::Backend::dropWrite(Write *w)
{
    writes.erase(std::remove_if(writes.begin(), writes.end(), [w](const auto &p) { return p.get() == w; }), writes.end());
}

void WaylandClipboard::Backend::cancelled(void *from)
{
    destroySource(from);
    if (from == source)
        source = nullptr;
}

void WaylandClipboard::Backend::finished()
{
    // The seat is gone: nothing more will come through this control.
    read.reset();
    dead = true;
}

namespace {

// The generated functions of one protocol, under the names the backend below uses.
#define QB_DATA_CONTROL_PROTOCOL(Traits, M, D, S, O)                                                                   \
    struct Traits {                                                                                                    \
        using Manager = M;                                                                                             \
        using Device = D;                                                                                              \
        using Source = S;                                                                                              \
        using Offer = O;                                                                                               \
        using DeviceListener = D##_listener;                                                                           \
        using SourceListener = S##_listener;                                                                           \
        using OfferListener = O##_listener;                                                                            \
        static const wl_interface *managerInterface() { return &M##_interface; }                                      \
        static Device *getDevice(Manager *m, wl_seat *seat) { return M##_get_data_device(m, seat); }                 \
        static Source *createSource(Manager *m) { return M##_create_data_source(m); }                                 \
        static void destroy(Manager *m) { M##_destroy(m); }                                                            \
        static void setSelection(Device *d, Source *s) { D##_set_selection(d, s); }                                   \
        static void destroy(Device *d) { D##_destroy(d); }                                                             \
        static void listen(Device *d, const DeviceListener *l, void *data) { D##_add_listener(d, l, data); }          \
        static void offer(Source *s, const char *mimeType) { S##_offer(s, mimeType); }                                \
        static void destroy(Source *s) { S##_destroy(s); }                                                             \
        static void listen(Source *s, const SourceListener *l, void *data) { S##_add_listener(s, l, data); }          \
        static void receive(Offer *o, const char *mimeType, int fd) { O##_receive(o, mimeType, fd); }                 \
        static void destroy(Offer *o) { O##_destroy(o); }                                                              \
        static void listen(Offer *o, const OfferListener *l, void *data) { O##_add_listener(o, l, data); }            \
    };

QB_DATA_CONTROL_PROTOCOL(ExtDataControl, ext_data_control_manager_v1, ext_data_control_device_v1,
                         ext_data_control_source_v1, ext_data_control_offer_v1)
QB_DATA_CONTROL_PROTOCOL(WlrDataControl, zwlr_data_control_manager_v1, zwlr_data_control_device_v1,
                         zwlr_data_control_source_v1, zwlr_data_control_offer_v1)
#undef QB_DATA_CONTROL_PROTOCOL

template <class P>
struct DataControlBackend final : WaylandClipboard::Backend {
    using Self = DataControlBackend<P>;
    typename P::Manager *manager = nullptr;
    typename P::Device *device = nullptr;

    DataControlBackend(WaylandClipboard *owner, typename P::Manager *m, wl_seat *seat) : Backend(owner), manager(m)
    {
        device = P::getDevice(manager, seat);
        P::listen(device, &deviceListener, this);
    }
    ~DataControlBackend() override
    {
        read.reset();
        writes.clear();
        for (void *offer : offers.keys())
            P::destroy(static_cast<typename P::Offer *>(offer));
        if (source)
            P::destroy(static_cast<typename P::Source *>(source));
        if (!dead)
            P::destroy(device);
        P::destroy(manager);
    }
    void receive(void *offer, const char *mimeType, int fd) override
    {
        P::receive(static_cast<typename P::Offer *>(offer), mimeType, fd);
    }
    void destroyOffer(void *offer) override { P::destroy(static_cast<typename P::Offer *>(offer)); }
    void *setSelection(const QList<QByteArray> &mimeTypes) override
    {
        typename P::Source *s = P::createSource(manager);
        P::listen(s, &sourceListener, this);
        for (const QByteArray &type : mimeTypes)
            P::offer(s, type.constData());
        P::setSelection(device, s);
        return s;
    }
    void destroySource(void *s) override { P::destroy(static_cast<typename P::Source *>(s)); }

    static inline const typename P::OfferListener offerListener = {
        [](void *data, typename P::Offer *o, const char *mimeType) { static_cast<Self *>(data)->offered(o, mimeType); },
    };
    static inline const typename P::DeviceListener deviceListener = {
        [](void *data, typename P::Device *, typename P::Offer *o) {
            static_cast<Self *>(data)->offers.insert(o, {}); // let go with the rest, even when it lists no type
            P::listen(o, &offerListener, data);
        },
        [](void *data, typename P::Device *, typename P::Offer *o) { static_cast<Self *>(data)->selection(o); },
        [](void *data, typename P::Device *d) {
            P::destroy(d);
            static_cast<Self *>(data)->finished();
        },
        // The primary selection is not watched; its offers are let go at once.
        [](void *data, typename P::Device *, typename P::Offer *o) {
            if (o && o != static_cast<Self *>(data)->current) {
                static_cast<Self *>(data)->offers.remove(o);
                P::destroy(o);
            }
        },
    };
    static inline const typename P::SourceListener sourceListener = {
        [](void *data, typename P::Source *s, const char *mimeType, int32_t fd) {
            static_cast<Self *>(data)->send(s, mimeType, fd);
        },
        [](void *data, typename P::Source *s) { static_cast<Self *>(data)->cancelled(s); },
    };
};

} // namespace

const QList<QByteArray> &WaylandClipboard::OwnMimeTypes()
{
    static const QList<QByteArray> types = {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "TEXT", "STRING",
                                            OwnCopyMimeType};
    return types;
}

QByteArray WaylandClipboard::ChooseTextMimeType(const QList<QByteArray> &offered)
{
    // UTF-8 first; STRING is Latin-1; a bare text/plain is taken as UTF-8, as Wayland programs write it.
    for (const char *type : {"text/plain;charset=utf-8", "UTF8_STRING", "text/plain", "STRING"}) {
        if (offered.contains(type))
            return type;
    }
    return QByteArray();
}

QString WaylandClipboard::DecodeText(const QByteArray &mimeType, const QByteArray &data)
{
    return mimeType == "STRING" ? QString::fromLatin1(data) : QString::fromUtf8(data);
}

QByteArray WaylandClipboard::EncodeText(const QByteArray &mimeType, const QString &text)
{
    if (mimeType == OwnCopyMimeType)
        return QByteArray();
    return mimeType == "STRING" ? text.toLatin1() : text.toUtf8();
}

WaylandClipboard::WaylandClipboard(WaylandConnection &connection) : connection_(connection) {}

WaylandClipboard::~WaylandClipboard()
{
    backend_.reset();
    connection_.flush();
}

std::unique_ptr<WaylandClipboard> WaylandClipboard::open(WaylandConnection &connection)
{
    auto *seat = static_cast<wl_seat *>(connection.bind(&wl_seat_interface, 1));
    if (!seat)
        return nullptr;
    std::unique_ptr<WaylandClipboard> clip(new WaylandClipboard(connection));
    if (auto *m = static_cast<ext_data_control_manager_v1 *>(connection.bind(ExtDataControl::managerInterface(), 1)))
        clip->backend_ = std::make_unique<DataControlBackend<ExtDataControl>>(clip.get(), m, seat);
    else if (auto *m = static_cast<zwlr_data_control_manager_v1 *>(connection.bind(WlrDataControl::managerInterface(), 1)))
        clip->backend_ = std::make_unique<DataControlBackend<WlrDataControl>>(clip.get(), m, seat);
    if (!clip->backend_) {
        wl_seat_destroy(seat);
        return nullptr;
    }
    // The device holds what it needs of the seat.
    wl_seat_destroy(seat);
    // A reader that closes its end while we write must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
    // The selection present now is read, so latest() answers, but it is no change.
    connection.roundtrip();
    return clip;
}

bool WaylandClipboard::isWorking() const
{
    return !backend_->dead && connection_.isConnected();
}

void WaylandClipboard::setText(const QString &text)
{
    Backend &b = *backend_;
    if (b.dead)
        return;
    b.read.reset();
    if (b.source)
        b.destroySource(b.source);
    b.text = text;
    b.source = b.setSelection(OwnMimeTypes());
    connection_.flush();
    b.latest = ClipboardSnapshot();
    b.latest.hasText = true;
    b.latest.text = LineBreaks::fromClipboard(text);
    Q_EMIT textSet(text);
}

ClipboardSnapshot WaylandClipboard::latest() const
{
    return backend_->latest;
}

void WaylandClipboard::forgetLatest()
{
    backend_->latest = ClipboardSnapshot();
}

bool WaylandClipboard::waitForRead(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    Backend &b = *backend_;
    // A change the compositor announced just now is seen before the wait starts.
    connection_.roundtrip(timeoutMs);
    while (b.read && !deadline.hasExpired()) {
        if (!b.read->pipe) {
            connection_.pump(int(qMin<qint64>(deadline.remainingTime(), 20)));
            continue;
        }
        pollfd fd = {b.read->pipe->fd, POLLIN, 0};
        ::poll(&fd, 1, int(qMin<qint64>(deadline.remainingTime(), 20)));
        if (fd.revents)
            b.readable();
        else if (b.read->pipe->deadline.hasExpired())
            b.partDone(false);
        connection_.pump(0);
    }
    return !b.read;
}
