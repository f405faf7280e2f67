#include "platform/clipboard/X11ClipboardTargets.h"
#include "platform/x11/XcbReply.h"

#include <QDeadlineTimer>
#include <QScopeGuard>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace ClipboardApi {

namespace {
struct TQuestionResult {
    enum { Cancelled, NoConnection, Answered } Kind = Answered;
    QStringList MimeTypes;
};

QByteArray AtomName(xcb_connection_t *connection, xcb_get_atom_name_cookie_t cookie)
{
    const auto reply = Own(xcb_get_atom_name_reply(connection, cookie, nullptr));
    return reply ? QByteArray(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()))
                 : QByteArray();
}

// The MIME type Qt's clipboard gives a target.
QString MimeTypeOfTarget(const QByteArray &target)
{
    if (target == "STRING" || target == "UTF8_STRING" || target == "TEXT")
        return QStringLiteral("text/plain");
    if (target == "PIXMAP")
        return QStringLiteral("image/ppm");
    if (target == "text/x-moz-url")
        return QStringLiteral("text/uri-list");
    return QString::fromLatin1(target);
}

// Waits for the answer to the conversion request of window: the property
// holding it; XCB_NONE when the owner refused, did not answer in time or
// the connection broke; nothing when the question was dropped.
std::optional<xcb_atom_t> WaitForSelectionNotify(xcb_connection_t *connection, xcb_window_t window, int cancel)
{
    const QDeadlineTimer deadline(X11TargetsTimeoutMs);
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const auto owned = Own(event);
            if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY)
                continue;
            const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(event);
            if (notify->requestor == window)
                return notify->property;
        }
        if (xcb_connection_has_error(connection) || deadline.hasExpired())
            return xcb_atom_t(XCB_NONE);
        pollfd waits[2] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {cancel, POLLIN, 0}};
        if (::poll(waits, 2, int(deadline.remainingTime())) < 0 && errno != EINTR)
            return xcb_atom_t(XCB_NONE);
        if (waits[1].revents)
            return std::nullopt;
    }
}

// Asks the owner of CLIPBOARD for TARGETS on a connection of its own.
TQuestionResult AskTargets(int cancel)
{
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screen);
    const auto disconnect = qScopeGuard([connection] { xcb_disconnect(connection); });
    if (xcb_connection_has_error(connection))
        return {TQuestionResult::NoConnection, {}};
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem && i < screen; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return {TQuestionResult::NoConnection, {}};

    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, it.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const char *const names[] = {"CLIPBOARD", "TARGETS", "V3721_CLIPBOARD_TARGETS"};
    xcb_intern_atom_cookie_t cookies[3];
    for (int i = 0; i < 3; ++i)
        cookies[i] = xcb_intern_atom(connection, 0, uint16_t(std::strlen(names[i])), names[i]);
    xcb_atom_t atoms[3];
    for (int i = 0; i < 3; ++i) {
        const auto reply = Own(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        if (!reply)
            return {TQuestionResult::NoConnection, {}};
        atoms[i] = reply->atom;
    }
    xcb_convert_selection(connection, window, atoms[0], atoms[1], atoms[2], XCB_CURRENT_TIME);
    xcb_flush(connection);

    const std::optional<xcb_atom_t> property = WaitForSelectionNotify(connection, window, cancel);
    if (!property)
        return {TQuestionResult::Cancelled, {}};
    TQuestionResult result;
    if (*property == XCB_NONE)
        return result;
    const auto targets = Own(xcb_get_property_reply(
        connection, xcb_get_property(connection, 1, window, *property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x10000), nullptr));
    if (!targets || targets->format != 32)
        return result;
    const auto *target = static_cast<const xcb_atom_t *>(xcb_get_property_value(targets.get()));
    const int count = xcb_get_property_value_length(targets.get()) / 4;
    std::vector<xcb_get_atom_name_cookie_t> nameCookies;
    for (int i = 0; i < count; ++i)
        if (target[i] != XCB_NONE)
            nameCookies.push_back(xcb_get_atom_name(connection, target[i]));
    for (const xcb_get_atom_name_cookie_t cookie : nameCookies) {
        const QByteArray name = AtomName(connection, cookie);
        const QString mime = MimeTypeOfTarget(name);
        if (!name.isEmpty() && !result.MimeTypes.contains(mime))
            result.MimeTypes.append(mime);
    }
    return result;
}
} // namespace

TX11ClipboardTargets::TX11ClipboardTargets(QObject *parent, TAnswer answer)
    : QObject(parent), FAnswer(std::move(answer))
{
}

TX11ClipboardTargets::~TX11ClipboardTargets()
{
    DropQuestion();
}

void TX11ClipboardTargets::DropQuestion()
{
    if (FThread.joinable()) {
        const uint64_t wake = 1;
        while (::write(FCancel, &wake, sizeof wake) < 0 && errno == EINTR) {
        }
        FThread.join();
    }
    if (FCancel >= 0)
        ::close(FCancel);
    FCancel = -1;
}

void TX11ClipboardTargets::Ask()
{
    DropQuestion();
    const uint64_t question = ++FQuestion;
    // Answers on this object's thread, if the question is still the latest.
    // This object outlives the question's thread: DropQuestion joins it.
    const auto answer = [this, question](const std::optional<QStringList> &mimeTypes) {
        QMetaObject::invokeMethod(
            this,
            [this, question, mimeTypes] {
                if (question == FQuestion)
                    FAnswer(mimeTypes);
            },
            Qt::QueuedConnection);
    };
    FCancel = ::eventfd(0, EFD_CLOEXEC);
    if (FCancel < 0) {
        answer(std::nullopt);
        return;
    }
    try {
        FThread = std::thread([answer, cancel = FCancel] {
            const TQuestionResult result = AskTargets(cancel);
            if (result.Kind == TQuestionResult::Answered)
                answer(result.MimeTypes);
            else if (result.Kind == TQuestionResult::NoConnection)
                answer(std::nullopt);
        });
    } catch (const std::system_error &) {
        answer(std::nullopt);
    }
}

} // namespace ClipboardApi
