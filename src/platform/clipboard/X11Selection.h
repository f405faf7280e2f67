#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <xcb/xcb.h>

namespace ClipboardApi {

// The X11 clipboard (the CLIPBOARD selection) seen from an X connection of
// its own, for the thread that makes it. Every wait, for the server or for
// the clipboard's owner, polls the connection together with cancel and ends
// at the deadline; only connecting cannot be cut short.
class TX11Selection {
public:
    // The selection converted to a target: the type the owner gave it (an
    // atom), the size of its items in bits and the bytes.
    struct TValue {
        xcb_atom_t Type = XCB_NONE;
        uint8_t Format = 8;
        QByteArray Data;
    };

    TX11Selection(int cancel, QDeadlineTimer deadline);
    ~TX11Selection();
    TX11Selection(const TX11Selection &) = delete;
    TX11Selection &operator=(const TX11Selection &) = delete;

    // False when no connection or window of its own could be had.
    bool Connected() const { return FWindow != XCB_NONE; }
    bool Cancelled() const;

    // The clipboard's value in target (an incremental transfer is put
    // together); nothing when the clipboard has no owner, the owner refuses
    // or has not answered by the deadline, or the errand was cancelled.
    std::optional<TValue> Convert(const QByteArray &target);
    // The names of a list of atoms (a value of type ATOM); unknown ones are
    // left out.
    QByteArrayList AtomNames(const QByteArray &atoms);

private:
    xcb_atom_t Atom(const QByteArray &name);
    template <class T>
    T *Reply(unsigned int request);
    bool WaitForInput();
    xcb_generic_event_t *WaitForEvent(uint8_t type, const std::function<bool(const xcb_generic_event_t *)> &wanted);

    int FCancel;
    QDeadlineTimer FDeadline;
    xcb_connection_t *FConnection = nullptr;
    xcb_window_t FWindow = XCB_NONE;
    xcb_atom_t FClipboard = XCB_NONE;
    xcb_atom_t FProperty = XCB_NONE;
    xcb_atom_t FIncr = XCB_NONE;
};

// Reads the X11 clipboard's value in target on an X connection and thread
// of their own (see TX11Errand) and waits at most timeoutMs for it: nothing
// when it could not be read by then.
std::optional<TX11Selection::TValue> ReadX11Clipboard(const QByteArray &target, int timeoutMs);

} // namespace ClipboardApi
