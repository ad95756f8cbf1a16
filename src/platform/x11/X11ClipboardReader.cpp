#include "platform/x11/X11ClipboardReader.h"

#include "platform/LineBreaks.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

// A text larger than this is not kept whole anywhere; reading stops there.
constexpr qsizetype MaxTextBytes = qsizetype(1) << 30;

struct Change {
    xcb_window_t owner;
    xcb_timestamp_t time;
};

} // namespace

struct X11ClipboardReader::Impl {
    quint32 skipBase = 0, skipMask = 0;
    Delivery deliver;
    xcb_connection_t *c = nullptr;
    xcb_window_t window = 0;
    uint8_t xfixesEvent = 0;
    xcb_atom_t clipboard = 0, targets = 0, utf8 = 0, textPlainUtf8 = 0, incr = 0, hint = 0;
    // Each answer in a property of its own, so that answers in flight together do not mix.
    xcb_atom_t targetsProperty = 0, hintProperty = 0, textProperty = 0;
    // Wakes the thread to stop or to catch up.
    int wakeFd = -1;
    std::atomic<bool> stop{false};
    // Catch-up requests: each waiter takes the next number; syncAnswered is the highest one answered.
    std::mutex syncMutex;
    std::condition_variable syncDone;
    quint64 syncAsked = 0, syncAnswered = 0;
    std::deque<Change> changes;
    std::thread thread;

    bool open();
    xcb_atom_t atom(const char *name);
    void run();
    // Takes what the server sent; true when something arrived before the deadline.
    bool pump(const QDeadlineTimer &deadline);
    // Every event the server sent before now is in the queue once this returns.
    void catchUp();
    void take(xcb_generic_event_t *e);
    xcb_generic_event_t *waitFor(const std::function<bool(xcb_generic_event_t *)> &match, const QDeadlineTimer &deadline);
    xcb_atom_t propertyFor(xcb_atom_t target) const;
    // Asks the owner for the targets; returns, for those it answered in time, whether it gave them.
    QHash<xcb_atom_t, bool> ask(const QList<xcb_atom_t> &wanted, xcb_timestamp_t time);
    // Takes an answer out of its property, piece by piece when it is large.
    bool fetch(xcb_atom_t prop, QByteArray *data, xcb_atom_t *type);
    ClipboardSnapshot read(const Change &change);
};

xcb_atom_t X11ClipboardReader::Impl::atom(const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

bool X11ClipboardReader::Impl::open()
{
    int screenNumber = 0;
    c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c))
        return false;
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!ext || !ext->present)
        return false;
    xfixesEvent = ext->first_event;
    free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));

    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return false;
    window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, it.data->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    clipboard = atom("CLIPBOARD");
    targets = atom("TARGETS");
    utf8 = atom("UTF8_STRING");
    textPlainUtf8 = atom("text/plain;charset=utf-8");
    incr = atom("INCR");
    hint = atom("x-kde-passwordManagerHint");
    targetsProperty = atom("QUILLBOX_TARGETS");
    hintProperty = atom("QUILLBOX_HINT");
    textProperty = atom("QUILLBOX_TEXT");
    xcb_xfixes_select_selection_input(c, window, clipboard, XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    xcb_flush(c);
    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return wakeFd >= 0 && !xcb_connection_has_error(c);
}

void X11ClipboardReader::Impl::take(xcb_generic_event_t *e)
{
    if ((e->response_type & 0x7f) == xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        auto *n = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(e);
        changes.push_back({n->owner, n->selection_timestamp});
    }
    free(e);
}

bool X11ClipboardReader::Impl::pump(const QDeadlineTimer &deadline)
{
    pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const qint64 left = deadline.remainingTime();
    const int n = ::poll(fds, 2, left < 0 ? -1 : int(left));
    if (n > 0 && (fds[1].revents & POLLIN)) {
        uint64_t count = 0;
        (void)!::read(wakeFd, &count, sizeof count);
    }
    return n > 0 && !stop;
}

void X11ClipboardReader::Impl::catchUp()
{
    // The reply comes after every event the server sent before it.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (xcb_generic_event_t *e = xcb_poll_for_event(c))
        take(e);
}

xcb_generic_event_t *X11ClipboardReader::Impl::waitFor(const std::function<bool(xcb_generic_event_t *)> &match,
                                                       const QDeadlineTimer &deadline)
{
    for (;;) {
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            if (match(e))
                return e;
            take(e); // a later change is kept; stray answers to abandoned requests are dropped
        }
        if (stop || xcb_connection_has_error(c) || deadline.hasExpired() || !pump(deadline))
            return nullptr;
    }
}

xcb_atom_t X11ClipboardReader::Impl::propertyFor(xcb_atom_t target) const
{
    return target == targets ? targetsProperty : target == hint ? hintProperty : textProperty;
}

QHash<xcb_atom_t, bool> X11ClipboardReader::Impl::ask(const QList<xcb_atom_t> &wanted, xcb_timestamp_t time)
{
    // All at once: the owner answers them one after another without waiting for us.
    for (xcb_atom_t target : wanted)
        xcb_convert_selection(c, window, clipboard, target, propertyFor(target), time);
    xcb_flush(c);
    QHash<xcb_atom_t, bool> answered; // target -> the owner gave it
    const QDeadlineTimer deadline(RequestTimeoutMs);
    while (answered.size() < wanted.size()) {
        xcb_generic_event_t *e = waitFor([&](xcb_generic_event_t *ev) {
            if ((ev->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                return false;
            auto *n = reinterpret_cast<xcb_selection_notify_event_t *>(ev);
            return n->requestor == window && n->selection == clipboard && wanted.contains(n->target);
        }, deadline);
        if (!e)
            break;
        auto *n = reinterpret_cast<xcb_selection_notify_event_t *>(e);
        answered.insert(n->target, n->property != XCB_ATOM_NONE);
        free(e);
    }
    return answered;
}

bool X11ClipboardReader::Impl::fetch(xcb_atom_t prop, QByteArray *data, xcb_atom_t *type)
{
    data->clear();
    auto getProperty = [&](QByteArray *out, xcb_atom_t *gotType) {
        xcb_get_property_reply_t *r = xcb_get_property_reply(
            c, xcb_get_property(c, 1, window, prop, XCB_ATOM_ANY, 0, 0x1fffffff), nullptr);
        if (!r)
            return false;
        *gotType = r->type;
        out->append(static_cast<const char *>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
        free(r);
        return true;
    };
    if (!getProperty(data, type))
        return false;
    if (*type != incr)
        return true;

    // Large data comes in pieces: each piece is a new value of the property, the empty one ends.
    data->clear();
    for (;;) {
        xcb_generic_event_t *p = waitFor([&](xcb_generic_event_t *ev) {
            if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                return false;
            auto *n = reinterpret_cast<xcb_property_notify_event_t *>(ev);
            return n->window == window && n->atom == prop && n->state == XCB_PROPERTY_NEW_VALUE;
        }, QDeadlineTimer(RequestTimeoutMs));
        if (!p)
            break;
        free(p);
        const qsizetype before = data->size();
        if (!getProperty(data, type) || data->size() > MaxTextBytes)
            break;
        if (data->size() == before)
            return true;
    }
    data->clear();
    return false;
}

ClipboardSnapshot X11ClipboardReader::Impl::read(const Change &change)
{
    ClipboardSnapshot result;
    // The targets and UTF-8 text in one round: an owner without UTF-8 refuses that part at
    // once, and a hung owner is given up after one wait.
    const QHash<xcb_atom_t, bool> answered = ask({targets, utf8}, change.time);
    QByteArray data;
    xcb_atom_t type = XCB_ATOM_NONE;
    QList<xcb_atom_t> offered;
    if (answered.value(targets) && fetch(targetsProperty, &data, &type) && type == XCB_ATOM_ATOM) {
        const auto *atoms = reinterpret_cast<const xcb_atom_t *>(data.constData());
        for (qsizetype i = 0; i < data.size() / qsizetype(sizeof(xcb_atom_t)); ++i)
            offered.append(atoms[i]);
    }
    bool haveText = answered.value(utf8) && fetch(textProperty, &data, &type);
    if (!haveText && answered.contains(utf8)) {
        // Refused: another text target the owner lists, asked for on its own.
        for (xcb_atom_t candidate : {textPlainUtf8, xcb_atom_t(XCB_ATOM_STRING)}) {
            if (offered.contains(candidate) && ask({candidate}, change.time).value(candidate)) {
                haveText = fetch(textProperty, &data, &type);
                break;
            }
        }
    }
    // Some owners answer every target with what they hold: only text typed as text is text.
    haveText = haveText && (type == utf8 || type == textPlainUtf8 || type == XCB_ATOM_STRING);
    // The hint only where the owner lists it: others would answer that, too, with their data.
    QByteArray hintValue;
    xcb_atom_t hintType = XCB_ATOM_NONE;
    if (offered.contains(hint) && ask({hint}, change.time).value(hint) && fetch(hintProperty, &hintValue, &hintType)
        && hintValue.trimmed() == "secret") {
        result.secret = true;
        return result;
    }
    if (!haveText)
        return result;
    result.hasText = true;
    result.text = LineBreaks::fromClipboard(type == XCB_ATOM_STRING ? QString::fromLatin1(data) : QString::fromUtf8(data));
    return result;
}

void X11ClipboardReader::Impl::run()
{
    quint64 answered = 0;
    while (!stop && !xcb_connection_has_error(c)) {
        quint64 asked;
        {
            std::lock_guard<std::mutex> lock(syncMutex);
            asked = syncAsked;
        }
        if (asked != answered)
            catchUp();
        while (xcb_generic_event_t *e = xcb_poll_for_event(c))
            take(e);
        if (changes.empty()) {
            if (asked != answered) {
                answered = asked;
                std::lock_guard<std::mutex> lock(syncMutex);
                syncAnswered = answered;
                syncDone.notify_all();
                continue;
            }
            pump(QDeadlineTimer(QDeadlineTimer::Forever));
            continue;
        }
        const Change change = changes.front();
        changes.pop_front();
        // Only the newest owner can answer: a change already replaced is not asked about.
        if (!changes.empty() || change.owner == XCB_NONE || (change.owner & ~skipMask) == skipBase)
            continue;
        ClipboardSnapshot snapshot = read(change);
        if (!stop)
            deliver(std::move(snapshot), change.owner);
    }
}

X11ClipboardReader::X11ClipboardReader(quint32 skipBase, quint32 skipMask, Delivery deliver) : d(new Impl)
{
    d->skipBase = skipBase;
    d->skipMask = skipMask;
    d->deliver = std::move(deliver);
    if (d->open())
        d->thread = std::thread([this] { d->run(); });
}

X11ClipboardReader::~X11ClipboardReader()
{
    d->stop = true;
    if (d->wakeFd >= 0) {
        const uint64_t one = 1;
        (void)!::write(d->wakeFd, &one, sizeof one);
    }
    if (d->thread.joinable())
        d->thread.join();
    if (d->wakeFd >= 0)
        ::close(d->wakeFd);
    if (d->c)
        xcb_disconnect(d->c);
}

bool X11ClipboardReader::isRunning() const
{
    return d->thread.joinable();
}

bool X11ClipboardReader::waitUntilCurrent(int timeoutMs)
{
    if (!isRunning())
        return false;
    std::unique_lock<std::mutex> lock(d->syncMutex);
    const quint64 ticket = ++d->syncAsked;
    const uint64_t one = 1;
    (void)!::write(d->wakeFd, &one, sizeof one);
    return d->syncDone.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return d->syncAnswered >= ticket; });
}
