#include "net/IdComponent.h"

#include "net/IdStack.h"

TIdComponent::TIdComponent(QObject *owner) : TComponent(owner)
{
    AcquireGlobalStack();
}

TIdComponent::~TIdComponent()
{
    ReleaseGlobalStack();
}
