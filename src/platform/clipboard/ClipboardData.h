#pragma once

#include "platform/clipboard/ClipboardWindow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QMimeData;

// Reading the system clipboard in clipboard formats.
// On Windows they are the system's own formats and data: format ids
// registered by name are the system's, and bitmaps, palettes and metafiles
// come as the system's graphic objects. On Linux they stand over the MIME
// data of Qt's clipboard:
//   text/plain...                CF_TEXT (cp1251) and CF_OEMTEXT (cp866),
//                                both rendered from the text, which is read
//                                in the type's charset (UTF-8 when it names
//                                none); text in a charset Qt does not know
//                                is no text but a format of its own
//   image/..., application/x-qt-image
//                                CF_BITMAP (a bitmap object)
//   application/x-qt-windows-mime;value="NAME"
//                                the standard format NAME ("CF_PALETTE" holds
//                                a palette block, "CF_OEMTEXT" raw bytes,
//                                from which CF_TEXT is rendered too ...)
//                                or else the format registered as NAME
//   any other MIME type          the format registered under the MIME type
//                                (names without '/', such as the X11
//                                selection target TARGETS, are no formats)
// Formats are listed in the order of the MIME types, formats rendered from
// another after the owner's own. CF_PALETTE is read as a
// palette object (see PaletteFromBlock), every other format as a memory block.

namespace ClipboardApi {

constexpr uint32_t CF_TEXT = 1;
constexpr uint32_t CF_BITMAP = 2;
constexpr uint32_t CF_METAFILEPICT = 3;
constexpr uint32_t CF_OEMTEXT = 7;
constexpr uint32_t CF_PALETTE = 9;
constexpr uint32_t CF_ENHMETAFILE = 14;

// A format id for a name, from 0xC000 on; the same id for the same name
// (letter case ignored) for as long as the process runs; 0 for an empty
// name or when the range is used up.
uint32_t RegisterClipboardFormat(const QString &name);
// The registered name, or the name of a standard format ("CF_TEXT"); empty
// when the id is neither.
QString ClipboardFormatName(uint32_t format);

// The MIME type that carries the format called name.
QString WindowsMimeType(const QString &name);

// One clipboard format and the MIME type it comes from.
struct TMimeFormat {
    uint32_t Format;
    QString Mime;
    bool operator==(const TMimeFormat &) const = default;
};
// The clipboard formats that MIME data holds, each once, in order.
QList<TMimeFormat> ClipboardFormatsOf(const QMimeData *data);

// The text CF_TEXT is rendered from, in Unicode (what a text field pastes);
// empty when the MIME data holds no text.
QString ClipboardTextOf(const QMimeData *data);

// A palette object made from a palette block: 16-bit version 0x0300, 16-bit
// entry count, then 4 bytes per entry (red, green, blue, flags), little
// endian. A block shorter than its count says gives the entries it holds;
// 0 when it holds none or the header is wrong.
uint32_t PaletteFromBlock(const QByteArray &block);

// Format availability and count need no open clipboard. They, the
// enumeration and the data are answered from one list of formats for each
// change: the clipboard's owner is asked for it once, at the first question
// after the change, and it holds until the next change notification.
bool IsClipboardFormatAvailable(uint32_t format);
int CountClipboardFormats();

// Exclusive access: fails while another window holds the clipboard open.
bool OpenClipboard(TWindowHandle window);
bool CloseClipboard();
TWindowHandle GetOpenClipboardWindow();

// These need the clipboard open. The next format after previous (0: the
// first), 0 at the end.
uint32_t EnumClipboardFormats(uint32_t previous);
// A memory block, or for CF_BITMAP a bitmap object and for CF_PALETTE a
// palette object; 0 when the format is absent or cannot be rendered. The
// data belongs to the clipboard: it is freed when the clipboard is closed
// or its contents change.
uint32_t GetClipboardData(uint32_t format);

// Memory block handles start high so that they never look like a window or
// graphic object handle in a trace. The handle after last counts up from
// FirstBlockHandle, skips the handles still in use and starts again at
// FirstBlockHandle after the largest one.
constexpr uint32_t FirstBlockHandle = 0x10000000;
uint32_t NextBlockHandle(uint32_t last, const std::function<bool(uint32_t)> &inUse);

// Memory blocks by handle: address (nullptr for an unknown handle) and size.
const char *GlobalLock(uint32_t block);
void GlobalUnlock(uint32_t block);
qsizetype GlobalSize(uint32_t block);

// The text a text field pastes from the system clipboard (as
// ClipboardTextOf): empty when the clipboard holds no text; nothing when it
// holds text that could not be read (on X11: its owner did not hand it over
// in time).
std::optional<QString> ClipboardPasteText();

// How often the system clipboard's owner has been asked for its list of
// formats since the program started (always 0 on Windows, where the system
// keeps the list).
int FormatListRequests();

// On Windows nothing: the system itself tells the chain of every change.
// On Linux it connects the system clipboard's change signal (once per
// application):
// on every change the data rendered so far is freed, then the viewer chain
// is notified (ClipboardChanged). Reading the clipboard connects it too.
// On X11 the owner is asked for its formats off the GUI thread (see
// TX11ClipboardTargets), and the change is notified with its answer, so an
// owner that does not answer holds up nothing; until the first answer the
// clipboard counts as empty, and a first answer that is not empty is
// notified as a change. The data of a change whose owner answered is read
// off the GUI thread as well (TX11ClipboardMime), which waits for it a
// short while only: data the owner has not handed over by then cannot be
// read (GetClipboardData gives 0), and the next change is read afresh.
void WatchSystemClipboard();

} // namespace ClipboardApi
