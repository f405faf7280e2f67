#include "clipboard/ObjAction2.h"
#include "framework/Application.h"
#include "shell/MainUnit.h"

int main(int argc, char **argv)
{
    TApplication application(argc, argv);

    TfrmMain mainWindow;
    frmMain = &mainWindow;
    TfrmObjAction2 dialog;
    frmObjAction2 = &dialog;

    mainWindow.show();
    return application.exec();
}
