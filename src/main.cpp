#include "app/ObjAction2.h"
#include "framework/Application.h"
#include "framework/ErrorDisplay.h"
#include "app/MainUnit.h"

#include <memory>

int main(int argc, char **argv)
{
    TApplication application(argc, argv);

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
