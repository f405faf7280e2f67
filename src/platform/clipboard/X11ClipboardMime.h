#pragma once

#include <QByteArrayList>
#include <QHash>
#include <QMimeData>
#include <optional>

namespace ClipboardApi {

// How long the GUI thread waits for the X11 clipboard's owner to hand over
// data.
constexpr int X11DataTimeoutMs = 100;

// The X11 clipboard's data as MIME data, for the targets its owner named:
// the MIME types are those Qt's clipboard gives the targets ("text/plain"
// for the string targets), and each one is read from the owner when it is
// first asked for, on an X connection and thread of their own
// (ReadX11Clipboard), then kept. The caller waits at most X11DataTimeoutMs
// for a read: an owner that has not answered by then leaves the type
// unreadable (no data) for as long as this object lives, one clipboard
// change.
class TX11ClipboardMime : public QMimeData {
public:
    explicit TX11ClipboardMime(QByteArrayList targets);

    QStringList formats() const override;
    bool hasFormat(const QString &mime) const override;
    // Whether the data of mime could be read; reads it if not done yet.
    bool Readable(const QString &mime) const;

protected:
    QVariant retrieveData(const QString &mime, QMetaType type) const override;

private:
    const std::optional<QByteArray> &Read(const QString &mime) const;

    QByteArrayList FTargets;
    mutable QHash<QString, std::optional<QByteArray>> FRead;
};

} // namespace ClipboardApi
