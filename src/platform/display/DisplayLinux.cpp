#include "platform/display/Display.h"

#include <QList>
#include <QtGlobal>

#include <cstring>
#include <xcb/xcb.h>

namespace {
// The value of Qt's option `name` ("-platform") among the arguments; Qt
// takes its options with two dashes too, and the last one counts.
QByteArray OptionValue(int argc, char **argv, const char *name)
{
    QByteArray value;
    for (int i = 1; i + 1 < argc; ++i) {
        const char *arg = argv[i];
        if (std::strncmp(arg, "--", 2) == 0)
            ++arg;
        if (std::strcmp(arg, name) == 0)
            value = argv[++i];
    }
    return value;
}

// Qt will show the windows on X11: the platform named by -platform or
// QT_QPA_PLATFORM is xcb (with or without its own options), or none is
// named and the session is not a Wayland one, where Qt may choose Wayland.
bool OnX11(int argc, char **argv)
{
    QByteArray platform = OptionValue(argc, argv, "-platform");
    if (platform.isEmpty())
        platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty())
        return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qgetenv("XDG_SESSION_TYPE") != "wayland";
    return platform.split(':').first() == "xcb";
}
} // namespace

QByteArray DisplayProblem(int argc, char **argv)
{
    if (!OnX11(argc, argv))
        return {};
    QByteArray display = OptionValue(argc, argv, "-display");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    xcb_connection_t *connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (!failed)
        return {};
    return display.isEmpty() ? QByteArray("cannot open the display: DISPLAY is not set")
                             : "cannot open the display " + display;
}
