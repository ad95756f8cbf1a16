#include "platform/desktop/ClipboardWatcher.h"

#include "platform/HeapTuning.h"
#include "platform/LineBreaks.h"
#include "platform/desktop/X11ClipboardReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <xcb/xcb.h>

const char ClipboardWatcher::PasswordHintFormat[] = "x-kde-passwordManagerHint";

namespace {
// Texts above this size leave memory behind that is worth giving back.
constexpr qsizetype LargeTextChars = qsizetype(1) << 20;
} // namespace

ClipboardWatcher::ClipboardWatcher(ProcessClipboardChain &chain, QObject *parent)
    : QObject(parent), chain_(chain)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (xcb_connection_t *own = x11 ? x11->connection() : nullptr) {
        // Windows of Qt's connection are ours: our own changes are read below, at once.
        const xcb_setup_t *setup = xcb_get_setup(own);
        reader_ = std::make_unique<X11ClipboardReader>(setup->resource_id_base, setup->resource_id_mask,
                                                       [this](ClipboardSnapshot snapshot) {
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

ClipboardWatcher::~ClipboardWatcher() = default;

void ClipboardWatcher::onRead(ClipboardSnapshot snapshot)
{
    const bool large = snapshot.text.size() > LargeTextChars;
    snapshot_ = std::move(snapshot);
    haveSnapshot_ = true;
    chain_.NotifyChanged();
    // The viewers have taken what they keep; a large text is not held until the next change.
    if (large) {
        snapshot_ = ClipboardSnapshot();
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
    if (!haveSnapshot_) {
        snapshot_ = ReadClipboard();
        haveSnapshot_ = true;
    }
    return snapshot_;
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
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setText(LineBreaks::toClipboard(text), QClipboard::Clipboard);
}
