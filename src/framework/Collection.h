#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

class TCollection;

// One item of a TCollection; its published properties are what is stored.
class TCollectionItem : public QObject {
    Q_OBJECT

public:
    explicit TCollectionItem(TCollection *collection);
    ~TCollectionItem() override;

    TCollection *Collection() const { return FCollection; }
    // How the item is listed: the class name unless a kind of item knows
    // better.
    virtual QByteArray DisplayName() const;

private:
    TCollection *FCollection;
};

// An owned, ordered list of items of one kind. Changes are announced through
// Update(); between BeginUpdate and EndUpdate they are held back and
// announced once at the end.
class TCollection : public QObject {
    Q_OBJECT

public:
    explicit TCollection(QObject *owner = nullptr);
    ~TCollection() override;

    int Count() const { return int(FItems.size()); }
    TCollectionItem *Item(int index) const { return FItems.value(index); }
    TCollectionItem *Add();
    void Clear();

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();

protected:
    // Creates an item of the collection's kind (which adds itself).
    virtual TCollectionItem *CreateItem() = 0;
    // The items changed.
    virtual void Update() {}
    void Changed();

private:
    friend class TCollectionItem;
    QList<TCollectionItem *> FItems;
    int FUpdateCount = 0;
    bool FChangedWhileHeld = false;
};
