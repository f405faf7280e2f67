#include "settings/FormStorage.h"

#include "platform/cp1251/Ansi.h"
#include "settings/PropsStorage.h"
#include "settings/SettingsStore.h"
#include "framework/TextRoutines.h"

#include <QHash>

#include <algorithm>
#include <QPointer>

std::optional<TStoredPropName> SplitStoredProp(const QByteArray &line)
{
    const qsizetype dot = line.indexOf('.');
    if (dot < 0)
        return std::nullopt;
    TStoredPropName name{Trim(line.left(dot)), Trim(line.mid(dot + 1))};
    if (name.Component.isEmpty() || name.Property.isEmpty())
        return std::nullopt;
    return name;
}

TFormStorage::TFormStorage(QObject *owner) : TFormPlacement(owner), FStoredValues(new TStoredValues(this)) {}

TFormStorage::~TFormStorage()
{
    FStoredProps.clear();
    delete FStoredValues;
}

QStringList TFormStorage::StoredProps() const
{
    QStringList lines;
    for (const TLine &line : FStoredProps)
        lines.append(FromAnsi(line.Text));
    return lines;
}

void TFormStorage::SetStoredProps(const QStringList &lines)
{
    QList<QByteArray> texts;
    for (const QString &line : lines)
        texts.append(ToAnsi(line));
    SetStoredPropLines(texts);
}

QList<QByteArray> TFormStorage::StoredPropLines() const
{
    QList<QByteArray> lines;
    for (const TLine &line : FStoredProps)
        lines.append(line.Text);
    return lines;
}

void TFormStorage::SetStoredPropLines(const QList<QByteArray> &lines)
{
    FStoredProps.clear();
    for (const QByteArray &text : lines)
        FStoredProps.append({text, nullptr});
    if (!Loading())
        ResolveStoredProps();
}

QObject *TFormStorage::StoredPropComponent(int index) const
{
    return index >= 0 && index < FStoredProps.size() ? FStoredProps[index].Component : nullptr;
}

void TFormStorage::Bind(TLine &line, QObject *component)
{
    line.Component = component;
    connect(component, &QObject::destroyed, this, &TFormStorage::ComponentRemoved, Qt::UniqueConnection);
}

void TFormStorage::ComponentRemoved(QObject *component)
{
    FStoredProps.removeIf([component](const TLine &line) { return line.Component == component; });
}

void TFormStorage::ResolveStoredProps()
{
    for (qsizetype i = FStoredProps.size() - 1; i >= 0; --i) {
        const auto name = SplitStoredProp(FStoredProps[i].Text);
        QObject *component = name ? FindOwnedComponent(Owner(), name->Component) : nullptr;
        if (component)
            Bind(FStoredProps[i], component);
        else
            FStoredProps.removeAt(i);
    }
}

void TFormStorage::Loaded()
{
    TFormPlacement::Loaded();
    ResolveStoredProps();
}

void TFormStorage::SaveEntries()
{
    TFormPlacement::SaveEntries();
    SaveStoredProps();
    FStoredValues->SaveValues();
}

void TFormStorage::RestoreEntries()
{
    TFormPlacement::RestoreEntries();
    SetRestored();
    LoadStoredProps();
    FStoredValues->RestoreValues();
}

void TFormStorage::RenameStoredProps()
{
    for (qsizetype i = FStoredProps.size() - 1; i >= 0; --i) {
        TLine &line = FStoredProps[i];
        const auto name = SplitStoredProp(line.Text);
        if (name && line.Component)
            line.Text = ToAnsi(line.Component->objectName()) + '.' + name->Property;
        else
            FStoredProps.removeAt(i);
    }
}

void TFormStorage::StoreProps(TPropsStorage &storage, bool saving)
{
    RenameStoredProps();
    QHash<QObject *, QList<QMetaProperty>> properties;
    for (const TLine &line : FStoredProps)
        if (!properties.contains(line.Component))
            properties.insert(line.Component, PublishedProperties(line.Component));
    // A copy: applying a property runs the component's own code, which may
    // remove components and with them lines.
    QList<std::pair<QPointer<QObject>, QByteArray>> lines;
    for (const TLine &line : FStoredProps)
        lines.append({line.Component, line.Text});
    storage.Owner = Owner();
    for (const auto &[component, text] : lines) {
        if (!component)
            continue;
        const auto name = SplitStoredProp(text);
        storage.AObject = component;
        storage.Prefix = ToAnsi(component->objectName()) + '_';
        // A component may publish the same name in two spellings (QLineEdit's
        // "text" and our "Text"): the exact spelling wins.
        const QList<QMetaProperty> &published = properties[component];
        auto found = std::find_if(published.begin(), published.end(), [&](const QMetaProperty &property) {
            return name->Property == property.name();
        });
        if (found == published.end())
            found = std::find_if(published.begin(), published.end(), [&](const QMetaProperty &property) {
                return SameTextAscii(property.name(), name->Property);
            });
        if (found == published.end())
            continue;
        if (saving)
            storage.SaveProperty(*found);
        else
            storage.LoadProperty(*found);
    }
    storage.Owner = nullptr;
}

void TFormStorage::SaveStoredProps()
{
    TPropsStorage storage;
    storage.Section = IniSection();
    storage.OnWriteString = [this](const QByteArray &section, const QByteArray &name, const QByteArray &text) {
        WriteSetting(section, name, text);
    };
    storage.OnEraseSection = [this](const QByteArray &section) {
        if (TSettingsStore *store = Store())
            store->DeleteSection(section);
    };
    StoreProps(storage, true);
}

void TFormStorage::LoadStoredProps()
{
    TPropsStorage storage;
    storage.Section = IniSection();
    storage.OnReadString = [this](const QByteArray &section, const QByteArray &name, const QByteArray &fallback) {
        return ReadSetting(section, name, fallback);
    };
    try {
        StoreProps(storage, false);
    } catch (...) {
        // A restore never fails because of a stored property.
    }
}
