#pragma once

#include "framework/Collection.h"

#include <QByteArray>
#include <QVariant>
#include <functional>

class TFormStorage;
class TStoredValues;

// A named value kept in the section of its TFormStorage. With a KeyString
// the stored text is scrambled with that key.
class TStoredValue : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QByteArray Name READ Name WRITE SetName)
    Q_PROPERTY(QVariant Value READ Value WRITE SetValue)
    Q_PROPERTY(QByteArray KeyString READ KeyString WRITE SetKeyString)

public:
    // Called with the value before it is saved and after it was restored;
    // the handler may change it.
    using TStoredValueEvent = std::function<void(TStoredValue *sender, QVariant &value)>;

    explicit TStoredValue(TStoredValues *values);

    const QByteArray &Name() const { return FName; }
    // Fails with "String list does not allow duplicates" when another item
    // has that name (letter case aside).
    void SetName(const QByteArray &name);
    const QVariant &Value() const { return FValue; }
    void SetValue(const QVariant &value) { FValue = value; }
    const QByteArray &KeyString() const { return FKeyString; }
    void SetKeyString(const QByteArray &key) { FKeyString = key; }

    QByteArray DisplayName() const override;

    void SaveToStore();
    void RestoreFromStore();

    TStoredValueEvent OnSave;
    TStoredValueEvent OnRestore;

private:
    TFormStorage *Storage() const;

    QByteArray FName;
    QVariant FValue;
    QByteArray FKeyString;
};

// The stored values of a TFormStorage, saved and restored in their order.
class TStoredValues : public TCollection {
    Q_OBJECT

public:
    explicit TStoredValues(TFormStorage *storage);

    TFormStorage *Storage() const;
    TStoredValue *Add() { return static_cast<TStoredValue *>(TCollection::Add()); }
    TStoredValue *Item(int index) const { return static_cast<TStoredValue *>(TCollection::Item(index)); }
    // The index of the item of that name (letter case aside), or -1.
    int IndexOf(const QByteArray &name) const;
    TStoredValue *StoredValue(const QByteArray &name) const;

    void SaveValues();
    void RestoreValues();

protected:
    TCollectionItem *CreateItem() override;
};
