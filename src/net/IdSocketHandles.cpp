#include "net/IdSocketHandles.h"

TIdSocketHandles::~TIdSocketHandles()
{
    Clear();
}

TIdSocketHandle *TIdSocketHandles::Add()
{
    return new TIdSocketHandle(this);
}

TIdSocketHandle *TIdSocketHandles::AddBinding()
{
    TIdSocketHandle *binding = Add();
    binding->SetPort(FDefaultPort);
    return binding;
}

TIdSocketHandle *TIdSocketHandles::FindBinding(TIdStackSocketHandle socket) const
{
    for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
        if ((*it)->SocketHandle() == socket)
            return *it;
    return nullptr;
}

void TIdSocketHandles::Clear()
{
    // Each binding removes itself from the list as it goes.
    while (!FItems.empty())
        delete FItems.back();
}

void TIdSocketHandles::Assign(const TIdSocketHandles &source)
{
    if (&source == this)
        return;
    Clear();
    for (const TIdSocketHandle *item : source.FItems)
        Add()->Assign(*item);
}
