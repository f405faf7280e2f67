#pragma once

#include "settings/FormPlacement.h"
#include "settings/StoredValues.h"

#include <QList>
#include <QStringList>
#include <optional>

class TPropsStorage;

// A TFormPlacement that also keeps properties of the form's components
// (StoredProps: lines "component.property", stored as "component_property")
// and named values (StoredValues), in the same section.
class TFormStorage : public TFormPlacement {
    Q_OBJECT
    Q_PROPERTY(QStringList StoredProps READ StoredProps WRITE SetStoredProps)
    Q_PROPERTY(TStoredValues *StoredValues READ StoredValues)

public:
    explicit TFormStorage(QObject *owner = nullptr);
    ~TFormStorage() override;

    QStringList StoredProps() const;
    void SetStoredProps(const QStringList &lines);
    QList<QByteArray> StoredPropLines() const;
    // Takes the lines; unless the component is still being loaded they are
    // bound to the form's components at once.
    void SetStoredPropLines(const QList<QByteArray> &lines);
    // The component line `index` is bound to, or null.
    QObject *StoredPropComponent(int index) const;

    TStoredValues *StoredValues() const { return FStoredValues; }

    void Loaded() override;
    void SaveEntries() override;
    void RestoreEntries() override;
    virtual void SaveStoredProps();
    virtual void LoadStoredProps();

    // Binds every line to the owned component it names and drops the lines
    // that are not "component.property" or name no owned component.
    void ResolveStoredProps();

private:
    struct TLine {
        QByteArray Text;
        QObject *Component = nullptr; // the line goes when the component does
    };

    void Bind(TLine &line, QObject *component);
    void ComponentRemoved(QObject *component);
    void RenameStoredProps();
    void StoreProps(TPropsStorage &storage, bool saving);

    QList<TLine> FStoredProps;
    TStoredValues *FStoredValues;
};

// The two parts of a StoredProps line, blanks and control characters around
// each removed; nothing when there is no '.' or a part is empty.
struct TStoredPropName {
    QByteArray Component;
    QByteArray Property;
};
std::optional<TStoredPropName> SplitStoredProp(const QByteArray &line);
