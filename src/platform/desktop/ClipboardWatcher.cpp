#include "platform/desktop/ClipboardWatcher.h"

#include "platform/HeapTuning.h"
#include "platform/LineBreaks.h"
#include "platform/wayland/WaylandClipboard.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11ClipboardClaim.h"
#include "platform/x11/X11ClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <xcb/xcb.h>

#include <cstdlib>

const char ClipboardWatcher::PasswordHintFormat[] = "x-kde-passwordManagerHint";

namespace {
// Texts above this size leave memory behind that is worth giving back.
constexpr qsizetype LargeTextChars = qsizetype(1) << 20;
// Where WriteText puts text: the Wayland clipboard of the watcher that has one.
WaylandClipboard *waylandClipboard = nullptr;
} // namespace

ClipboardWatcher::ClipboardWatcher(ProcessClipboardChain &chain, QObject *parent)
    : QObject(parent), chain_(chain)
{
    if (WaylandConnection *connection = waylandClipboard ? nullptr : WaylandConnection::shared())
        wayland_ = WaylandClipboard::open(*connection);
    if (wayland_) {
        waylandClipboard = wayland_.get();
        // Our own copy is known at once; other programs' copies arrive when read, after the caller
        // of currentSnapshot() has taken them.
        connect(wayland_.get(), &WaylandClipboard::textSet, this, [this] { onRead(wayland_->latest()); });
        connect(wayland_.get(), &WaylandClipboard::selectionRead, this, &ClipboardWatcher::onRead, Qt::QueuedConnection);
        return;
    }
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (xcb_connection_t *own = x11 ? x11->connection() : nullptr) {
        // Windows of Qt's connection are ours: our own changes are read below, at once.
        const xcb_setup_t *setup = xcb_get_setup(own);
        connection_ = own;
        ownBase_ = setup->resource_id_base;
        ownMask_ = setup->resource_id_mask;
        const char name[] = "CLIPBOARD";
        if (xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(own, xcb_intern_atom(own, 0, sizeof name - 1, name), nullptr)) {
            clipboardAtom_ = atom->atom;
            free(atom);
        }
        reader_ = std::make_unique<X11ClipboardReader>(ownBase_, ownMask_, [this](ClipboardSnapshot snapshot, quint32 owner) {
            {
                QMutexLocker lock(&latestMutex_);
                latest_ = snapshot;
                latestOwner_ = owner;
            }
            QMetaObject::invokeMethod(
                this, [this, s = std::move(snapshot)]() mutable { onRead(std::move(s)); }, Qt::QueuedConnection);
        });
        if (!reader_->isRunning())
            reader_.reset();
    }
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        connect(clipboard, &QClipboard::changed, this, [this, clipboard](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard && (!reader_ || clipboard->ownsClipboard()))
                onChanged();
        });
    }
}

ClipboardWatcher::~ClipboardWatcher()
{
    if (waylandClipboard == wayland_.get())
        waylandClipboard = nullptr;
}

void ClipboardWatcher::onRead(ClipboardSnapshot snapshot)
{
    const bool large = snapshot.text.size() > LargeTextChars;
    snapshot_ = std::move(snapshot);
    haveSnapshot_ = true;
    chain_.NotifyChanged();
    // The viewers have taken what they keep; a large text is not held until the next change.
    if (large) {
        snapshot_ = ClipboardSnapshot();
        {
            QMutexLocker lock(&latestMutex_);
            latest_ = ClipboardSnapshot();
        }
        if (wayland_)
            wayland_->forgetLatest();
        ReleaseFreeMemory();
    }
}

void ClipboardWatcher::onChanged()
{
    haveSnapshot_ = false;
    snapshot_ = ClipboardSnapshot();
    chain_.NotifyChanged();
}

ClipboardSnapshot ClipboardWatcher::snapshot()
{
    // The selection found at start, read by then or not: Qt's X11 clipboard is not the one there.
    if (!haveSnapshot_ && wayland_)
        return wayland_->latest();
    if (!haveSnapshot_) {
        snapshot_ = ReadClipboard();
        haveSnapshot_ = true;
    }
    return snapshot_;
}

quint32 ClipboardWatcher::clipboardOwner() const
{
    auto *c = static_cast<xcb_connection_t *>(connection_);
    if (!c || !clipboardAtom_)
        return XCB_NONE;
    xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboardAtom_), nullptr);
    const quint32 owner = reply ? reply->owner : XCB_NONE;
    free(reply);
    return owner;
}

ClipboardSnapshot ClipboardWatcher::currentSnapshot()
{
    if (wayland_) {
        if (wayland_->waitForRead(WaylandClipboard::ReadTimeoutMs + 250))
            return wayland_->latest();
        return snapshot();
    }
    if (reader_) {
        const quint32 owner = clipboardOwner();
        // The reader gives up on a hung owner by itself and delivers what it has; this limit only
        // ends a wait for a reader slowed down by a loaded machine, and must not cut it short:
        // two rounds (the text, then the hint) and a margin.
        if (owner != XCB_NONE && (owner & ~ownMask_) != ownBase_
            && reader_->waitUntilCurrent(2 * X11ClipboardReader::RequestTimeoutMs + 250)) {
            QMutexLocker lock(&latestMutex_);
            if (latestOwner_ == owner)
                return latest_;
        }
    }
    return snapshot();
}

ClipboardSnapshot ClipboardWatcher::ReadClipboard()
{
    ClipboardSnapshot result;
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *data = clipboard ? clipboard->mimeData(QClipboard::Clipboard) : nullptr;
    if (!data)
        return result;
    const QString hint = QLatin1String(PasswordHintFormat);
    if (data->hasFormat(hint) && data->data(hint).trimmed() == "secret") {
        result.secret = true;
        return result;
    }
    if (!data->hasText())
        return result;
    result.hasText = true;
    result.text = LineBreaks::fromClipboard(data->text());
    return result;
}

void ClipboardWatcher::WriteText(const QString &text)
{
    if (waylandClipboard && waylandClipboard->isWorking()) {
        waylandClipboard->setText(LineBreaks::toClipboard(text));
    } else if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        x11clipboard::Claim(*clipboard, [data = LineBreaks::toClipboard(text)] {
            auto *mime = new QMimeData;
            mime->setText(data);
            return mime;
        });
    }
}
