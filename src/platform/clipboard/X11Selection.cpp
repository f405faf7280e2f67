#include "platform/clipboard/X11Selection.h"
#include "platform/x11/X11Errand.h"
#include "platform/x11/XcbReply.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <vector>
#include <xcb/xcbext.h>

namespace ClipboardApi {

namespace {
// Enough for any value the server can hold.
constexpr uint32_t WholeProperty = UINT32_MAX / 4;
} // namespace

TX11Selection::TX11Selection(int cancel, QDeadlineTimer deadline) : FCancel(cancel), FDeadline(deadline)
{
    int screen = 0;
    FConnection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(FConnection))
        return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(FConnection));
    for (int i = 0; it.rem && i < screen; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return;
    const xcb_window_t window = xcb_generate_id(FConnection);
    // The owner hands an incremental transfer over piece by piece, each one
    // announced by a property change.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(FConnection, XCB_COPY_FROM_PARENT, window, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    FClipboard = Atom("CLIPBOARD");
    FProperty = Atom("V3721_CLIPBOARD");
    FIncr = Atom("INCR");
    if (FClipboard != XCB_NONE && FProperty != XCB_NONE && FIncr != XCB_NONE)
        FWindow = window;
}

TX11Selection::~TX11Selection()
{
    xcb_disconnect(FConnection);
}

bool TX11Selection::Cancelled() const
{
    pollfd cancel = {FCancel, POLLIN, 0};
    return ::poll(&cancel, 1, 0) > 0;
}

// Waits until the connection has something to read: false when it broke,
// at the deadline or on cancel.
bool TX11Selection::WaitForInput()
{
    if (xcb_connection_has_error(FConnection) || FDeadline.hasExpired())
        return false;
    pollfd waits[2] = {{xcb_get_file_descriptor(FConnection), POLLIN, 0}, {FCancel, POLLIN, 0}};
    const int ready = ::poll(waits, 2, int(FDeadline.remainingTime()));
    if (ready < 0)
        return errno == EINTR;
    return ready > 0 && !waits[1].revents;
}

// The reply to a request, freed by the caller; nullptr for an error and
// when WaitForInput gives up.
template <class T>
T *TX11Selection::Reply(unsigned int request)
{
    xcb_flush(FConnection);
    for (;;) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(FConnection, request, &reply, &error)) {
            std::free(error);
            return static_cast<T *>(reply);
        }
        if (!WaitForInput())
            return nullptr;
    }
}

// The next event of type that wanted accepts, freed by the caller; other
// events are dropped. nullptr when WaitForInput gives up.
xcb_generic_event_t *TX11Selection::WaitForEvent(uint8_t type,
                                                 const std::function<bool(const xcb_generic_event_t *)> &wanted)
{
    xcb_flush(FConnection);
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
            if ((event->response_type & 0x7F) == type && wanted(event))
                return event;
            std::free(event);
        }
        if (!WaitForInput())
            return nullptr;
    }
}

xcb_atom_t TX11Selection::Atom(const QByteArray &name)
{
    const auto reply = Own(Reply<xcb_intern_atom_reply_t>(
        xcb_intern_atom(FConnection, 0, uint16_t(name.size()), name.constData()).sequence));
    return reply ? reply->atom : xcb_atom_t(XCB_NONE);
}

std::optional<TX11Selection::TValue> TX11Selection::Convert(const QByteArray &target)
{
    if (!Connected())
        return std::nullopt;
    const xcb_atom_t targetAtom = Atom(target);
    if (targetAtom == XCB_NONE)
        return std::nullopt;
    xcb_convert_selection(FConnection, FWindow, FClipboard, targetAtom, FProperty, XCB_CURRENT_TIME);
    const auto notified = Own(WaitForEvent(XCB_SELECTION_NOTIFY, [this](const xcb_generic_event_t *event) {
        return reinterpret_cast<const xcb_selection_notify_event_t *>(event)->requestor == FWindow;
    }));
    if (!notified || reinterpret_cast<const xcb_selection_notify_event_t *>(notified.get())->property == XCB_NONE)
        return std::nullopt;

    // Read and deleted: the deletion asks the owner of an incremental
    // transfer for its next piece.
    const auto take = [this] {
        return Own(Reply<xcb_get_property_reply_t>(
            xcb_get_property(FConnection, 1, FWindow, FProperty, XCB_GET_PROPERTY_TYPE_ANY, 0, WholeProperty).sequence));
    };
    const auto bytes = [](const xcb_get_property_reply_t &reply) {
        return QByteArray(static_cast<const char *>(xcb_get_property_value(&reply)),
                          xcb_get_property_value_length(&reply));
    };
    const auto value = take();
    if (!value)
        return std::nullopt;
    if (value->type != FIncr)
        return TValue{value->type, value->format, bytes(*value)};
    TValue whole;
    for (;;) {
        const auto newPiece = Own(WaitForEvent(XCB_PROPERTY_NOTIFY, [this](const xcb_generic_event_t *event) {
            const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            return notify->window == FWindow && notify->atom == FProperty && notify->state == XCB_PROPERTY_NEW_VALUE;
        }));
        if (!newPiece)
            return std::nullopt;
        const auto piece = take();
        if (!piece)
            return std::nullopt;
        if (xcb_get_property_value_length(piece.get()) == 0)
            return whole;
        whole.Type = piece->type;
        whole.Format = piece->format;
        whole.Data += bytes(*piece);
    }
}

QByteArrayList TX11Selection::AtomNames(const QByteArray &atoms)
{
    std::vector<xcb_atom_t> atom(size_t(atoms.size()) / sizeof(xcb_atom_t));
    std::memcpy(atom.data(), atoms.constData(), atom.size() * sizeof(xcb_atom_t));
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    for (const xcb_atom_t a : atom)
        if (a != XCB_NONE)
            cookies.push_back(xcb_get_atom_name(FConnection, a));
    QByteArrayList names;
    for (const xcb_get_atom_name_cookie_t cookie : cookies)
        if (const auto reply = Own(Reply<xcb_get_atom_name_reply_t>(cookie.sequence)))
            names << QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
    return names;
}

std::optional<TX11Selection::TValue> ReadX11Clipboard(const QByteArray &target, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const auto value = std::make_shared<std::optional<TX11Selection::TValue>>();
    const std::shared_ptr<TX11Errand> errand = TX11Errand::Start([target, deadline, value](TX11Errand &own) {
        TX11Selection selection(own.Cancel(), deadline);
        std::optional<TX11Selection::TValue> read = selection.Convert(target);
        own.Deliver([&] { *value = std::move(read); });
    });
    if (!errand)
        return std::nullopt;
    if (!errand->Wait(deadline)) {
        errand->Drop();
        return std::nullopt;
    }
    return *value;
}

} // namespace ClipboardApi
