#include "shell/MainUnit.h"

// "Пуск": starts the link to the gateway.
void TfrmMain::Button1Click()
{
}

// Every 3000 ms: polls the gateway once the link is started.
void TfrmMain::Timer1Timer()
{
}

// A datagram from the gateway, handed over by the endpoint's listener.
void TfrmMain::IdUDPServer1UDPRead(QObject *, TMemoryStream &, TIdSocketHandle &)
{
}
