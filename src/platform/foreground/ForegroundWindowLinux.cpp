#include "platform/foreground/ForegroundWindow.h"
#include "platform/x11/XcbReply.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>
#include <optional>
#include <xcb/xcb.h>

namespace {
// Qt's own X11 connection; none on other platforms.
xcb_connection_t *X11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The root window of the screen Qt connected to ($DISPLAY's default screen).
xcb_window_t RootWindow(xcb_connection_t *connection)
{
    int screen = 0;
    char *host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem && i < screen; ++i)
        xcb_screen_next(&it);
    return it.rem ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

// Qt keeps one X11 connection for the life of the application.
xcb_atom_t ActiveWindowAtom(xcb_connection_t *connection)
{
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom == XCB_ATOM_NONE) {
        static const char name[] = "_NET_ACTIVE_WINDOW";
        const auto reply = Own(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr));
        if (reply)
            atom = reply->atom;
    }
    return atom;
}

// The window manager's record of the active window. Nothing when no window
// manager keeps one; a window of 0 when it keeps one and nothing is active.
std::optional<xcb_window_t> WindowManagerActiveWindow(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t atom = ActiveWindowAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_generic_error_t *error = nullptr;
    const auto reply = Own(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom, XCB_ATOM_WINDOW, 0, 1), &error));
    std::free(error);
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32
        || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
}

// The window holding the X input focus, 0 when the focus is on no window of
// its own (none, the pointer's window or the root).
xcb_window_t InputFocusWindow(xcb_connection_t *connection, xcb_window_t root)
{
    xcb_generic_error_t *error = nullptr;
    const auto reply = Own(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), &error));
    std::free(error);
    if (!reply || reply->focus == XCB_WINDOW_NONE || reply->focus == XCB_INPUT_FOCUS_POINTER_ROOT
        || reply->focus == root)
        return 0;
    return reply->focus;
}

// The child of the root that holds `window`, 0 when the window is gone.
xcb_window_t TopLevelOf(xcb_connection_t *connection, xcb_window_t window, xcb_window_t root)
{
    for (int depth = 0; depth < 64; ++depth) {
        xcb_generic_error_t *error = nullptr;
        const auto reply = Own(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), &error));
        std::free(error);
        if (!reply)
            return 0;
        if (reply->parent == root || reply->parent == XCB_WINDOW_NONE)
            return window;
        window = reply->parent;
    }
    return 0;
}

QWidget *OwnWindow(xcb_window_t window)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->internalWinId() == window)
            return top;
    }
    return nullptr;
}

bool Succeeded(xcb_connection_t *connection, xcb_void_cookie_t cookie)
{
    xcb_generic_error_t *error = xcb_request_check(connection, cookie);
    std::free(error);
    return !error;
}
} // namespace

TForegroundWindow TForegroundWindow::Current()
{
    TForegroundWindow result;
    // On X11 the server is asked: the application learns of a focus change
    // only a moment later, when the focus has already gone to another program.
    if (xcb_connection_t *connection = X11Connection()) {
        if (const xcb_window_t root = RootWindow(connection); root != XCB_WINDOW_NONE) {
            xcb_window_t window = 0;
            if (const auto managed = WindowManagerActiveWindow(connection, root)) {
                window = *managed;
                result.FThroughWindowManager = true;
            } else {
                window = InputFocusWindow(connection, root);
            }
            if (window != 0) {
                if (QWidget *own = OwnWindow(window))
                    result.FWidget = own;
                else
                    result.FNative = window;
                return result;
            }
        }
    }
    result.FWidget = QApplication::activeWindow();
    return result;
}

bool TForegroundWindow::Activate() const
{
    if (FWidget) {
        if (!FWidget->isVisible())
            return false;
        BringToFront(FWidget);
        return true;
    }
    if (FNative == 0)
        return false;
    xcb_connection_t *connection = X11Connection();
    if (!connection)
        return false;
    const xcb_window_t root = RootWindow(connection);
    if (root == XCB_WINDOW_NONE)
        return false;
    if (FThroughWindowManager) {
        // Asked as the operator's own request (source 2): the operator goes
        // back to where the object was copied from.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = FNative;
        message.type = ActiveWindowAtom(connection);
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        const bool sent = Succeeded(connection, xcb_send_event_checked(
            connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char *>(&message)));
        xcb_flush(connection);
        return sent;
    }
    // No window manager: raise the window's top level and set the focus.
    const xcb_window_t top = TopLevelOf(connection, FNative, root);
    if (top == 0)
        return false;
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    Succeeded(connection, xcb_configure_window_checked(connection, top, XCB_CONFIG_WINDOW_STACK_MODE, &above));
    const bool focused = Succeeded(connection, xcb_set_input_focus_checked(
        connection, XCB_INPUT_FOCUS_PARENT, FNative, XCB_CURRENT_TIME));
    xcb_flush(connection);
    return focused;
}

void BringToFront(QWidget *window)
{
    // The offscreen platform keeps no stacking order (and says so on raise()).
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        window->raise();
    window->activateWindow();
}
