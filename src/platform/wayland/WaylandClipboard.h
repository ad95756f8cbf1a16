#pragma once
// The clipboard selection on the Wayland side, through the compositor's clipboard-control protocol
// (ext_data_control_manager_v1, else zwlr_data_control_manager_v1): it sees every copy whatever has
// the focus, and our own copies become what Wayland programs paste. Offers are read through
// non-blocking pipes on the event loop, so a source that never answers holds nothing up; each read
// waits at most ReadTimeoutMs for the next piece of data.
#include "platform/ClipboardChain.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <memory>

class WaylandConnection;

class WaylandClipboard : public QObject
{
    Q_OBJECT
public:
    static constexpr int ReadTimeoutMs = 1000;
    // MIME types we put our text under, best first; the last one is ours alone.
    static const QList<QByteArray> &OwnMimeTypes();
    static const char OwnCopyMimeType[]; // marks a selection that is our own copy

    // The text MIME type to read from an offer's list, empty when none is text.
    static QByteArray ChooseTextMimeType(const QList<QByteArray> &offered);
    static QString DecodeText(const QByteArray &mimeType, const QByteArray &data);
    static QByteArray EncodeText(const QByteArray &mimeType, const QString &text);

    // Null when the compositor offers neither protocol or has no seat.
    static std::unique_ptr<WaylandClipboard> open(WaylandConnection &connection);
    ~WaylandClipboard() override;

    // Makes text (line breaks as they are to be pasted) the selection; textSet is emitted before
    // this returns.
    void setText(const QString &text);
    // The latest selection read (or set by us), as it was read.
    ClipboardSnapshot latest() const;
    // Lets go of a large latest text once its readers have taken it.
    void forgetLatest();
    // Dispatches what the compositor has sent and waits until the newest selection has been read,
    // at most timeoutMs; false when it is not read by then.
    bool waitForRead(int timeoutMs);

Q_SIGNALS:
    // Another program's selection, read. Not emitted for the selection found at start.
    void selectionRead(const ClipboardSnapshot &snapshot);
    void textSet(const QString &text);

public:
    struct Backend;

private:
    explicit WaylandClipboard(WaylandConnection &connection);
    WaylandConnection &connection_;
    std::unique_ptr<Backend> backend_;
};
