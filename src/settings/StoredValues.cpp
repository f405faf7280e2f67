#include "settings/StoredValues.h"

#include "framework/Exception.h"
#include "platform/cp1251/Ansi.h"
#include "settings/FormStorage.h"
#include "settings/PropsStorage.h"
#include "settings/Scramble.h"

TStoredValue::TStoredValue(TStoredValues *values) : TCollectionItem(values) {}

void TStoredValue::SetName(const QByteArray &name)
{
    const auto *values = static_cast<const TStoredValues *>(Collection());
    if (!name.isEmpty() && FromAnsi(name).compare(FromAnsi(FName), Qt::CaseInsensitive) != 0
        && values->IndexOf(name) >= 0)
        throw Exception("String list does not allow duplicates");
    FName = name;
}

QByteArray TStoredValue::DisplayName() const
{
    return FName.isEmpty() ? TCollectionItem::DisplayName() : FName;
}

TFormStorage *TStoredValue::Storage() const
{
    return static_cast<const TStoredValues *>(Collection())->Storage();
}

void TStoredValue::SaveToStore()
{
    TFormStorage *storage = Storage();
    if (!storage)
        return;
    QVariant value = FValue;
    if (OnSave)
        OnSave(this, value);
    QByteArray text = VariantToText(value);
    if (!FKeyString.isEmpty())
        text = ScrambleText(text, FKeyString);
    storage->WriteSetting(storage->IniSection(), FName, text);
}

void TStoredValue::RestoreFromStore()
{
    TFormStorage *storage = Storage();
    if (!storage)
        return;
    QByteArray fallback = VariantToText(FValue);
    if (!FKeyString.isEmpty())
        fallback = ScrambleText(fallback, FKeyString);
    QByteArray text = storage->ReadSetting(storage->IniSection(), FName, fallback);
    if (!FKeyString.isEmpty())
        text = UnscrambleText(text, FKeyString);
    QVariant value(FromAnsi(text));
    if (OnRestore)
        OnRestore(this, value);
    FValue = value;
}

TStoredValues::TStoredValues(TFormStorage *storage) : TCollection(storage) {}

TFormStorage *TStoredValues::Storage() const
{
    return qobject_cast<TFormStorage *>(parent());
}

int TStoredValues::IndexOf(const QByteArray &name) const
{
    for (int i = 0; i < Count(); ++i)
        if (FromAnsi(Item(i)->Name()).compare(FromAnsi(name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TStoredValue *TStoredValues::StoredValue(const QByteArray &name) const
{
    const int index = IndexOf(name);
    return index < 0 ? nullptr : Item(index);
}

void TStoredValues::SaveValues()
{
    for (int i = 0; i < Count(); ++i)
        Item(i)->SaveToStore();
}

void TStoredValues::RestoreValues()
{
    for (int i = 0; i < Count(); ++i)
        Item(i)->RestoreFromStore();
}

TCollectionItem *TStoredValues::CreateItem()
{
    return new TStoredValue(this);
}
