#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaProperty>
#include <QVariant>
#include <functional>
#include <optional>

class QObject;

// How a published property is turned into a stored text and back.
enum class TPropKind {
    Unsupported, // not stored
    Integer,     // signed decimal
    Int64,
    Char,        // the single character
    WideChar,    // the character in cp1251
    Enumeration, // the element's name; booleans are "False" and "True"
    Set,         // "[a,b]": the names of the members (single bits 0 to 31)
    Float,       // general format, 7 (float) or 15 (double) digits, '.'
    String,      // the text
    Variant,     // the value's text; restored as a text
    StringList,  // Count and Item0, Item1, ... in a subsection
    Class,       // a component reference, a collection or a nested object
};
TPropKind PropertyKind(const QMetaProperty &property);

// The published properties an object is stored by: all of its class's
// except QObject's own.
QList<QMetaProperty> PublishedProperties(const QObject *object);

// The form's owned component (any object below it) of that name, compared
// without regard to letter case.
QObject *FindOwnedComponent(const QObject *form, const QByteArray &name);

// Texts of floating point numbers: shortest general form with that many
// significant digits and an exponent like "1.5E-10"; '.' whatever the
// locale. The reverse takes any decimal or exponent form.
QByteArray FloatToText(double value, int digits);
std::optional<double> TextToFloat(const QByteArray &text);

// A variant's text: empty for an empty variant, "True"/"False" for a
// boolean, '.' in numbers, cp1251 for texts.
QByteArray VariantToText(const QVariant &value);

// Stores and restores published properties of one object at a time through
// three callbacks, under value names made of a prefix and the property's
// name ("leKVIP_" + "Text"), in a section.
class TPropsStorage {
public:
    using TReadEvent =
        std::function<QByteArray(const QByteArray &section, const QByteArray &name, const QByteArray &fallback)>;
    using TWriteEvent = std::function<void(const QByteArray &section, const QByteArray &name, const QByteArray &text)>;
    using TEraseEvent = std::function<void(const QByteArray &section)>;

    QObject *AObject = nullptr; // the object whose properties are handled
    QObject *Owner = nullptr;   // the form being stored, for component references
    QByteArray Prefix;
    QByteArray Section;
    TReadEvent OnReadString;    // missing: every read gives the empty text
    TWriteEvent OnWriteString;  // missing: nothing is written
    TEraseEvent OnEraseSection; // missing: nothing is deleted

    // One property of AObject. Saving writes nothing for an empty text
    // unless the property is a text or a wide character. Loading never
    // fails: a property whose text cannot be read or applied stays as it is.
    void SaveProperty(const QMetaProperty &property);
    void LoadProperty(const QMetaProperty &property);
    // Every published property of the object, with the current prefix and
    // section.
    void SaveProperties(QObject *object);
    void LoadProperties(QObject *object);

    // More items than this in a stored list or collection are not read: a
    // damaged count must not make a restore endless.
    static constexpr int MaxStoredItems = 10000;

private:
    QByteArray ReadString(const QByteArray &section, const QByteArray &name, const QByteArray &fallback) const;
    void WriteString(const QByteArray &section, const QByteArray &name, const QByteArray &text) const;
    void EraseSection(const QByteArray &section) const;

    QByteArray PropertyText(const QMetaProperty &property, TPropKind kind) const;
    void ApplyText(const QMetaProperty &property, TPropKind kind, const QByteArray &text);
    void SaveStringList(const QMetaProperty &property);
    void LoadStringList(const QMetaProperty &property);
    void SaveObject(const QMetaProperty &property);
    void LoadObject(const QMetaProperty &property);
    QByteArray ReferenceText(const QObject *component) const;
    void LoadReference(const QMetaProperty &property, const QByteArray &text);
};
