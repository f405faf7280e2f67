#include "app/ObjAction2.h"
#include "framework/Application.h"
#include "framework/ErrorDisplay.h"
#include "app/MainUnit.h"
#include "commandline/CommandLine.h"
#include "platform/display/Display.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <memory>

namespace {
const char UsageText[] =
    "usage: v3721conf [--help | --version]\n"
    "The V3721 board configurator: the operator's window on the V3721 indicator\n"
    "switchboard. It joins the board's IP gateway (UDP, local port 971), sends\n"
    "the gateway's key events and copied object addresses to the TM server's\n"
    "mailslot, and keeps its settings in ~/.config/registry/.\n"
    "Options of Qt itself (-platform, -display ...) are taken as well.\n"
    "example: v3721conf\n";
} // namespace

int main(int argc, char **argv)
{
    // Answered before the application starts, so that they need no display.
    if (argc == 2 && CommandLine::IsHelpOrVersion(argv[1], "v3721conf", UsageText))
        return 0;
    // Without a display Qt would abort: one line says why, and the program ends.
    if (const QByteArray problem = DisplayProblem(argc, argv); !problem.isEmpty()) {
        std::fprintf(stderr, "v3721conf: %s\n", problem.constData());
        return 1;
    }
    TApplication application(argc, argv);
    // Every window carries the program's icon; the desktop finds the
    // program's entry (v3721conf.desktop) by this name.
    QIcon icon;
    for (const QFileInfo &file : QDir(QStringLiteral(":/icons")).entryInfoList(QDir::Files))
        icon.addFile(file.filePath());
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("v3721conf"));

    // A failure while the windows are built (the socket library cannot
    // start, say) is shown and the program does not start.
    std::unique_ptr<TfrmMain> mainWindow;
    std::unique_ptr<TfrmObjAction2> dialog;
    try {
        mainWindow = std::make_unique<TfrmMain>();
        frmMain = mainWindow.get();
        dialog = std::make_unique<TfrmObjAction2>();
        frmObjAction2 = dialog.get();
    } catch (...) {
        ShowCurrentException();
        return 1;
    }

    mainWindow->show();
    const int result = application.exec();
    // The forms go in creation order, as the application destroys them.
    mainWindow.reset();
    dialog.reset();
    return result;
}
