#pragma once

#include <QObject>

// Base of the program's non-visual components (the UDP endpoint, the
// settings storage). The owner is the QObject parent, the name the object
// name. While the owning form sets a component up it is "loading": property
// writes that must wait until every component exists are recorded, and
// `Loaded()` applies them once the form is complete.
class TComponent : public QObject {
    Q_OBJECT

public:
    explicit TComponent(QObject *owner = nullptr);

    QObject *Owner() const { return parent(); }
    QString Name() const { return objectName(); }
    void SetName(const QString &name) { setObjectName(name); }

    bool Loading() const { return FLoading; }
    // Marks the component as being set up from its form's description.
    void SetLoading() { FLoading = true; }
    // Design mode does not exist in this program; kept for the components'
    // own rules, which treat it like loading.
    bool Designing() const { return false; }

    // The owning form is completely set up. Overrides call the base first.
    virtual void Loaded();

private:
    bool FLoading = false;
};

// Sends the "loaded" notification to every TComponent that `form` owns, in
// creation order. A form calls it at the end of its construction.
void NotifyLoaded(QObject *form);
