#include "settings/PropsStorage.h"

#include "framework/Collection.h"
#include "framework/Component.h"
#include "platform/cp1251/Ansi.h"
#include "framework/TextRoutines.h"

#include <QApplication>
#include <QMetaEnum>
#include <QWidget>

#include <algorithm>
#include <charconv>

TPropKind PropertyKind(const QMetaProperty &property)
{
    if (property.isFlagType())
        return TPropKind::Set;
    if (property.isEnumType())
        return TPropKind::Enumeration;
    switch (property.metaType().id()) {
    case QMetaType::Bool: return TPropKind::Enumeration;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar: return TPropKind::Integer;
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return TPropKind::Int64;
    case QMetaType::Char: return TPropKind::Char;
    case QMetaType::QChar:
    case QMetaType::Char16: return TPropKind::WideChar;
    case QMetaType::Float:
    case QMetaType::Double: return TPropKind::Float;
    case QMetaType::QString:
    case QMetaType::QByteArray: return TPropKind::String;
    case QMetaType::QVariant: return TPropKind::Variant;
    case QMetaType::QStringList: return TPropKind::StringList;
    default: break;
    }
    if (property.metaType().flags() & QMetaType::PointerToQObject)
        return TPropKind::Class;
    return TPropKind::Unsupported;
}

QList<QMetaProperty> PublishedProperties(const QObject *object)
{
    QList<QMetaProperty> properties;
    const QMetaObject *meta = object->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
        properties.append(meta->property(i));
    return properties;
}

namespace {
bool SameName(const QString &a, const QByteArray &b)
{
    return a.compare(FromAnsi(b), Qt::CaseInsensitive) == 0;
}
} // namespace

QObject *FindOwnedComponent(const QObject *form, const QByteArray &name)
{
    if (!form || name.isEmpty())
        return nullptr;
    const QList<QObject *> owned = form->findChildren<QObject *>();
    const auto found = std::find_if(owned.begin(), owned.end(),
                                    [&](const QObject *object) { return SameName(object->objectName(), name); });
    return found == owned.end() ? nullptr : *found;
}

// ------------------------------------------------------------ number texts

namespace {
template <class T>
QByteArray GeneralFloat(T value, int digits)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    QByteArray text = QByteArray(buffer, result.ptr - buffer).toUpper();
    const qsizetype e = text.indexOf('E');
    if (e < 0 || text.contains("INF") || text.contains("NAN"))
        return text;
    QByteArray exponent = text.mid(e + 1);
    QByteArray sign;
    if (exponent.startsWith('+') || exponent.startsWith('-')) {
        if (exponent.startsWith('-'))
            sign = "-";
        exponent.remove(0, 1);
    }
    while (exponent.size() > 1 && exponent.startsWith('0'))
        exponent.remove(0, 1);
    return text.left(e) + 'E' + sign + exponent;
}
} // namespace

QByteArray FloatToText(double value, int digits)
{
    return digits <= 7 ? GeneralFloat(float(value), digits) : GeneralFloat(value, digits);
}

std::optional<double> TextToFloat(const QByteArray &text)
{
    QByteArray number = Trim(text);
    if (number.startsWith('+'))
        number.remove(0, 1);
    if (number.isEmpty())
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(number.constData(), number.constData() + number.size(), value);
    if (result.ec != std::errc() || result.ptr != number.constData() + number.size())
        return std::nullopt;
    return value;
}

QByteArray VariantToText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QByteArray: return value.toByteArray();
    case QMetaType::Bool: return value.toBool() ? "True" : "False";
    case QMetaType::Float: return FloatToText(value.toFloat(), 7);
    case QMetaType::Double: return FloatToText(value.toDouble(), 15);
    default: return ToAnsi(value.toString());
    }
}

// ---------------------------------------------------------- TPropsStorage

namespace {
// Restores the storage's object, prefix and section when the scope ends.
class TScope {
public:
    explicit TScope(TPropsStorage &storage)
        : FStorage(storage), FObject(storage.AObject), FPrefix(storage.Prefix), FSection(storage.Section)
    {
    }
    TScope(const TScope &) = delete;
    TScope &operator=(const TScope &) = delete;
    ~TScope()
    {
        FStorage.AObject = FObject;
        FStorage.Prefix = FPrefix;
        FStorage.Section = FSection;
    }

private:
    TPropsStorage &FStorage;
    QObject *FObject;
    QByteArray FPrefix;
    QByteArray FSection;
};

// The key of the enumeration that stands for exactly bit `bit`.
const char *BitKey(const QMetaEnum &enumeration, int bit)
{
    for (int i = 0; i < enumeration.keyCount(); ++i)
        if (uint32_t(enumeration.value(i)) == (1u << bit))
            return enumeration.key(i);
    return nullptr;
}

const TCharSet &SetDelimiters()
{
    static const TCharSet set = MakeCharSet(" ,[]");
    return set;
}

bool IsComponent(const QObject *object)
{
    return qobject_cast<const TComponent *>(object) || object->isWidgetType();
}

// The owner of a component: the window it sits in, or the outermost object
// above it; the application for an object without a parent.
QObject *OwnerOf(const QObject *component)
{
    QObject *owner = component->parent();
    if (!owner)
        return QCoreApplication::instance();
    while (owner->parent() && !(owner->isWidgetType() && static_cast<QWidget *>(owner)->isWindow()))
        owner = owner->parent();
    return owner;
}

QByteArray ItemPrefix(int index)
{
    return "Item" + IntToStr(index) + '_';
}
} // namespace

QByteArray TPropsStorage::ReadString(const QByteArray &section, const QByteArray &name,
                                     const QByteArray &fallback) const
{
    return OnReadString ? OnReadString(section, name, fallback) : QByteArray();
}

void TPropsStorage::WriteString(const QByteArray &section, const QByteArray &name, const QByteArray &text) const
{
    if (OnWriteString)
        OnWriteString(section, name, text);
}

void TPropsStorage::EraseSection(const QByteArray &section) const
{
    if (OnEraseSection)
        OnEraseSection(section);
}

QByteArray TPropsStorage::PropertyText(const QMetaProperty &property, TPropKind kind) const
{
    const QVariant value = property.read(AObject);
    const int type = property.metaType().id();
    switch (kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
        if (type == QMetaType::UInt || type == QMetaType::ULong || type == QMetaType::ULongLong)
            return QByteArray::number(value.toULongLong());
        return IntToStr(value.toLongLong());
    case TPropKind::Char: return QByteArray(1, value.value<char>());
    case TPropKind::WideChar:
        return ToAnsi(QString(type == QMetaType::QChar ? value.value<QChar>() : QChar(value.value<char16_t>())));
    case TPropKind::Enumeration:
        if (type == QMetaType::Bool)
            return value.toBool() ? "True" : "False";
        return property.enumerator().valueToKey(value.toInt());
    case TPropKind::Set: {
        const QMetaEnum enumeration = property.enumerator();
        const uint32_t members = value.toUInt();
        QList<QByteArray> names;
        for (int bit = 0; bit < 32; ++bit)
            if (members & (1u << bit))
                if (const char *key = BitKey(enumeration, bit))
                    names.append(key);
        return '[' + names.join(',') + ']';
    }
    case TPropKind::Float:
        return type == QMetaType::Float ? FloatToText(value.toFloat(), 7) : FloatToText(value.toDouble(), 15);
    case TPropKind::String: return type == QMetaType::QByteArray ? value.toByteArray() : ToAnsi(value.toString());
    case TPropKind::Variant: return VariantToText(value);
    default: return {};
    }
}

void TPropsStorage::ApplyText(const QMetaProperty &property, TPropKind kind, const QByteArray &text)
{
    const int type = property.metaType().id();
    switch (kind) {
    case TPropKind::Integer:
        if (type == QMetaType::UInt)
            property.write(AObject, QVariant(uint32_t(StrToInt64Def(text, 0))));
        else
            property.write(AObject, QVariant(StrToIntDef(text, 0)));
        break;
    case TPropKind::Int64: property.write(AObject, QVariant(qlonglong(StrToInt64Def(text, 0)))); break;
    case TPropKind::Char:
        if (!text.isEmpty())
            property.write(AObject, QVariant::fromValue(text[0]));
        break;
    case TPropKind::WideChar:
        if (!text.isEmpty()) {
            const QChar character = FromAnsi(text.left(1)).at(0);
            property.write(AObject, type == QMetaType::QChar ? QVariant(character)
                                                             : QVariant::fromValue(char16_t(character.unicode())));
        }
        break;
    case TPropKind::Enumeration:
        if (type == QMetaType::Bool) {
            if (SameTextAscii(text, "False"))
                property.write(AObject, false);
            else if (SameTextAscii(text, "True"))
                property.write(AObject, true);
        } else {
            const QMetaEnum enumeration = property.enumerator();
            for (int i = 0; i < enumeration.keyCount(); ++i) {
                if (SameTextAscii(enumeration.key(i), text)) {
                    property.write(AObject, enumeration.value(i));
                    break;
                }
            }
        }
        break;
    case TPropKind::Set: {
        const QMetaEnum enumeration = property.enumerator();
        uint32_t members = 0;
        for (int n = 1;; ++n) {
            const QByteArray word = WordAt(n, text, SetDelimiters());
            if (word.isEmpty())
                break;
            for (int bit = 0; bit < 32; ++bit) {
                const char *key = BitKey(enumeration, bit);
                if (key && SameTextAscii(key, word))
                    members |= 1u << bit;
            }
        }
        property.write(AObject, QVariant(int(members)));
        break;
    }
    case TPropKind::Float:
        if (const auto value = TextToFloat(text))
            property.write(AObject, type == QMetaType::Float ? QVariant(float(*value)) : QVariant(*value));
        break;
    case TPropKind::String:
        property.write(AObject, type == QMetaType::QByteArray ? QVariant(text) : QVariant(FromAnsi(text)));
        break;
    case TPropKind::Variant: property.write(AObject, QVariant(FromAnsi(text))); break;
    default: break;
    }
}

void TPropsStorage::SaveProperty(const QMetaProperty &property)
{
    const TPropKind kind = PropertyKind(property);
    switch (kind) {
    case TPropKind::Unsupported: return;
    case TPropKind::StringList: SaveStringList(property); return;
    case TPropKind::Class: SaveObject(property); return;
    default: break;
    }
    const QByteArray text = PropertyText(property, kind);
    if (text.isEmpty() && kind != TPropKind::String && kind != TPropKind::WideChar)
        return;
    WriteString(Section, Prefix + property.name(), Trim(text));
}

void TPropsStorage::LoadProperty(const QMetaProperty &property)
{
    try {
        const TPropKind kind = PropertyKind(property);
        switch (kind) {
        case TPropKind::Unsupported: return;
        case TPropKind::StringList: LoadStringList(property); return;
        case TPropKind::Class: LoadObject(property); return;
        default: break;
        }
        const QByteArray fallback = PropertyText(property, kind);
        QByteArray text;
        if (!fallback.isEmpty() || kind == TPropKind::String || kind == TPropKind::WideChar)
            text = Trim(ReadString(Section, Prefix + property.name(), fallback));
        ApplyText(property, kind, text);
    } catch (...) {
        // A property that cannot be read or applied keeps its value.
    }
}

void TPropsStorage::SaveProperties(QObject *object)
{
    TScope scope(*this);
    AObject = object;
    for (const QMetaProperty &property : PublishedProperties(object))
        SaveProperty(property);
}

void TPropsStorage::LoadProperties(QObject *object)
{
    TScope scope(*this);
    AObject = object;
    for (const QMetaProperty &property : PublishedProperties(object))
        LoadProperty(property);
}

void TPropsStorage::SaveStringList(const QMetaProperty &property)
{
    const QByteArray subsection = Section + '.' + Prefix + property.name();
    EraseSection(subsection);
    const QStringList lines = property.read(AObject).toStringList();
    if (lines.isEmpty())
        return;
    WriteString(subsection, "Count", IntToStr(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        WriteString(subsection, "Item" + IntToStr(i), ToAnsi(lines[i]));
}

void TPropsStorage::LoadStringList(const QMetaProperty &property)
{
    const QByteArray subsection = Section + '.' + Prefix + property.name();
    const int count = std::min(StrToIntDef(Trim(ReadString(subsection, "Count", "0")), 0), MaxStoredItems);
    if (count <= 0)
        return;
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(FromAnsi(ReadString(subsection, "Item" + IntToStr(i), {})));
    property.write(AObject, lines);
}

QByteArray TPropsStorage::ReferenceText(const QObject *component) const
{
    const QByteArray name = ToAnsi(component->objectName());
    const QObject *owner = OwnerOf(component);
    if (!owner || owner == Owner)
        return name;
    QByteArray ownerName = ToAnsi(owner->objectName());
    if (ownerName.isEmpty()) {
        ownerName = owner->metaObject()->className();
        if (ownerName.startsWith('T') || ownerName.startsWith('t'))
            ownerName.remove(0, 1);
    }
    return ownerName + '.' + name;
}

void TPropsStorage::LoadReference(const QMetaProperty &property, const QByteArray &text)
{
    if (text.isEmpty())
        return;
    QObject *target = nullptr;
    if (!SameTextAscii(text, "(null)")) {
        const qsizetype dot = text.indexOf('.');
        if (dot >= 0) {
            const QByteArray formName = text.left(dot);
            const QList<QWidget *> forms = QApplication::topLevelWidgets();
            const auto form = std::find_if(forms.begin(), forms.end(), [&](const QWidget *w) {
                return w->isWindow() && SameName(w->objectName(), formName);
            });
            if (form == forms.end())
                return;
            target = FindOwnedComponent(*form, text.mid(dot + 1));
        } else {
            target = FindOwnedComponent(Owner, text);
        }
    }
    QVariant value = QVariant::fromValue(target);
    if (!target)
        value = QVariant(property.metaType());
    else if (!value.convert(property.metaType()))
        return; // a component of another kind
    property.write(AObject, value);
}

void TPropsStorage::SaveObject(const QMetaProperty &property)
{
    QObject *object = qvariant_cast<QObject *>(property.read(AObject));
    if (!object)
        return;
    const QByteArray name = Prefix + property.name();
    if (IsComponent(object)) {
        const QByteArray text = ReferenceText(object);
        if (!text.isEmpty())
            WriteString(Section, name, Trim(text));
        return;
    }
    if (auto *collection = qobject_cast<TCollection *>(object)) {
        const QByteArray subsection = Section + '.' + name;
        EraseSection(subsection);
        WriteString(Section, name + ".Count", IntToStr(collection->Count()));
        TScope scope(*this);
        Section = subsection;
        for (int i = 0; i < collection->Count(); ++i) {
            Prefix = ItemPrefix(i);
            SaveProperties(collection->Item(i));
        }
    }
    TScope scope(*this);
    Prefix = name;
    SaveProperties(object);
}

void TPropsStorage::LoadObject(const QMetaProperty &property)
{
    QObject *object = qvariant_cast<QObject *>(property.read(AObject));
    if (!object)
        return;
    const QByteArray name = Prefix + property.name();
    if (IsComponent(object)) {
        LoadReference(property, Trim(ReadString(Section, name, {})));
        return;
    }
    if (auto *collection = qobject_cast<TCollection *>(object)) {
        const int current = collection->Count();
        const int stored = std::clamp(StrToIntDef(Trim(ReadString(Section, name + ".Count", IntToStr(current))), current),
                                      0, MaxStoredItems);
        collection->BeginUpdate();
        try {
            if (stored != current) {
                collection->Clear();
                for (int i = 0; i < stored; ++i)
                    collection->Add();
            }
            TScope scope(*this);
            Section = Section + '.' + name;
            for (int i = 0; i < collection->Count(); ++i) {
                Prefix = ItemPrefix(i);
                LoadProperties(collection->Item(i));
            }
        } catch (...) {
            collection->EndUpdate();
            throw;
        }
        collection->EndUpdate();
    }
    TScope scope(*this);
    Prefix = name;
    LoadProperties(object);
}
