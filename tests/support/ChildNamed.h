#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// The object of type T named `name` among the children of `parent`, at any
// depth, found as the operator's tools find a control: by its name. A missing
// one ends the test program with a message naming it, so the pointer is never
// null.
template <class T>
T *ChildNamed(const QObject &parent, const char *name)
{
    T *child = parent.findChild<T *>(QString::fromLatin1(name));
    if (!child)
        qFatal("%s has no %s named \"%s\"", parent.metaObject()->className(), T::staticMetaObject.className(), name);
    return child;
}
