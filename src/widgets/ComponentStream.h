#pragma once

#include "framework/Exception.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class QObject;
class QWidget;
class TMemoryStream;

// The component stream: a component, its published properties and the
// components it owns, as bytes (the clipboard's component format) or as
// text (for showing). Only classes in the class registry can be read.
//
// Bytes, all numbers little endian:
//   stream    := "VCS1" component
//   component := string class, string name, u32 count, count * property,
//                u32 count, count * component (the owned components)
//   property  := string name, u8 kind, value
//                kind 'I': i64   kind 'B': u8 (0 or 1)   kind 'S': string
//   string    := u32 byte count, UTF-8 bytes
// Text: one block per component, "object Name: Class" (or "object Class"
// for an unnamed one), then "Property = value" lines, the owned components'
// blocks, and "end"; each level indented by two spaces. Strings stand in
// double quotes with \" \\ \n \r \t and \xHH escapes.

// A stream that cannot be read.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A class that is not in the registry.
class EClassNotFound : public EReadError {
public:
    using EReadError::EReadError;
};

// One published property: its name in the stream and how to get and set it.
struct TPublishedProperty {
    QString Name;
    std::function<QVariant(const QObject *)> Get;
    std::function<void(QObject *, const QVariant &)> Set;
};

// A Qt property published under the same name.
TPublishedProperty QtProperty(const char *name);

struct TComponentClass {
    QString ClassName;
    std::function<QObject *()> Create;
    QList<TPublishedProperty> Properties;
};

// The class registry: the program's own component classes. Controls publish
// Left, Top, Width and Height besides the properties given here.
QList<TComponentClass> ProgramComponentClasses();
const TComponentClass *FindComponentClass(const QString &className);

// One component as read from or written to a stream.
struct TComponentRecord {
    QString ClassName;
    QString Name;
    QList<QPair<QString, QVariant>> Properties; // qint64, bool or QString
    QList<TComponentRecord> Children;
};

// The record of a component of a registered class: its properties that
// differ from a new component's, and its owned components of registered
// classes. EClassNotFound for a class that is not registered.
TComponentRecord ComponentRecord(const QObject *component);

void WriteRecord(TMemoryStream &stream, const TComponentRecord &record);
// Reads one component record from the stream's position; EReadError when
// the bytes are not a component stream.
TComponentRecord ReadRecord(TMemoryStream &stream);
QStringList RecordToText(const TComponentRecord &record);

// Writes a component to the stream.
void WriteComponent(TMemoryStream &stream, const QObject *component);
// Reads one component, with the components it owns; controls read get
// Parent as their parent and are shown. The caller owns the result.
QObject *ReadComponent(TMemoryStream &stream, QWidget *Parent);
// The text form of a component stream, from its position.
QStringList ObjectBinaryToText(TMemoryStream &stream);

// The component's text form; replaces the contents of Lines.
void ComponentToText(const QObject *Component, QStringList &Lines);
