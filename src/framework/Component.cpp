#include "framework/Component.h"

TComponent::TComponent(QObject *owner) : QObject(owner) {}

void TComponent::Loaded()
{
    FLoading = false;
}

void NotifyLoaded(QObject *form)
{
    const QList<TComponent *> components = form->findChildren<TComponent *>(QString(), Qt::FindDirectChildrenOnly);
    for (TComponent *component : components)
        if (component->Loading())
            component->Loaded();
}
