#include "shell/MainUnit.h"

// "Пуск": starts the link to the gateway.
void TfrmMain::Button1Click()
{
}

// Every 3000 ms: polls the gateway once the link is started.
void TfrmMain::Timer1Timer()
{
}
