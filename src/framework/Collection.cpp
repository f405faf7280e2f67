#include "framework/Collection.h"

TCollectionItem::TCollectionItem(TCollection *collection) : QObject(collection), FCollection(collection)
{
    FCollection->FItems.append(this);
    FCollection->Changed();
}

TCollectionItem::~TCollectionItem()
{
    FCollection->FItems.removeOne(this);
    FCollection->Changed();
}

QByteArray TCollectionItem::DisplayName() const
{
    return metaObject()->className();
}

TCollection::TCollection(QObject *owner) : QObject(owner) {}

TCollection::~TCollection()
{
    // The items leave while the collection still knows them.
    BeginUpdate();
    Clear();
}

TCollectionItem *TCollection::Add()
{
    return CreateItem();
}

void TCollection::Clear()
{
    BeginUpdate();
    while (!FItems.isEmpty())
        delete FItems.last();
    EndUpdate();
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedWhileHeld) {
        FChangedWhileHeld = false;
        Update();
    }
}

void TCollection::Changed()
{
    if (FUpdateCount > 0)
        FChangedWhileHeld = true;
    else
        Update();
}
