#pragma once

#include "platform/clipboard/ClipboardData.h"
#include "platform/clipboard/GdiObjects.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QtEndian>
#include <initializer_list>
#include <utility>
#include <vector>

// Puts MIME data on the system clipboard (offscreen: Qt's in-process one;
// Windows: the system's, through its own calls, each MIME type as the
// clipboard format it stands for); every call is one change of the
// clipboard. Takes the data.
namespace ClipboardContent {

void Set(QMimeData *data);
void Clear();
void SetText(const QString &text);

// How many formats text set by SetText is on the clipboard as: CF_TEXT and
// CF_OEMTEXT; on Windows also the Unicode text it is given as and the locale
// of the text, which the system adds.
#ifdef Q_OS_WIN
constexpr int TextFormatCount = 4;
#else
constexpr int TextFormatCount = 2;
#endif

// The MIME data with one more raw clipboard format called name.
inline QMimeData *WithFormat(QMimeData *data, const QString &name, const QByteArray &bytes)
{
    data->setData(ClipboardApi::WindowsMimeType(name), bytes);
    return data;
}

inline QMimeData *Data(std::initializer_list<std::pair<QString, QByteArray>> formats)
{
    auto *data = new QMimeData;
    for (const auto &[name, bytes] : formats)
        WithFormat(data, name, bytes);
    return data;
}

// A palette block; count is what the header claims, defaulting to the
// number of entries given.
inline QByteArray PaletteBlock(const std::vector<Gdi::TPaletteEntry> &entries, int count = -1, uint16_t version = 0x0300)
{
    QByteArray block(4, '\0');
    qToLittleEndian<uint16_t>(version, block.data());
    qToLittleEndian<uint16_t>(uint16_t(count < 0 ? entries.size() : count), block.data() + 2);
    for (const Gdi::TPaletteEntry &e : entries)
        {
        const char bytes[4] = {char(e.peRed), char(e.peGreen), char(e.peBlue), char(e.peFlags)};
        block.append(bytes, 4);
    }
    return block;
}

// n entries with distinct colours: entry i is (i, 255 - i % 256, i / 256).
inline std::vector<Gdi::TPaletteEntry> Ramp(int n)
{
    std::vector<Gdi::TPaletteEntry> entries;
    for (int i = 0; i < n; ++i)
        entries.push_back({uint8_t(i), uint8_t(255 - i % 256), uint8_t(i / 256), 0});
    return entries;
}

inline QImage Filled(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

inline QByteArray Encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace ClipboardContent
