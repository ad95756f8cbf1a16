#include "platform/desktop/ClipboardWatcher.h"

#include "platform/LineBreaks.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

const char ClipboardWatcher::PasswordHintFormat[] = "x-kde-passwordManagerHint";

ClipboardWatcher::ClipboardWatcher(ProcessClipboardChain &chain, QObject *parent)
    : QObject(parent), chain_(chain)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        connect(clipboard, &QClipboard::changed, this, [this](QClipboard::Mode mode) {
            if (mode == QClipboard::Clipboard)
                onChanged();
        });
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
