#include "widgets/ComponentStream.h"

#include "framework/MemoryStream.h"
#include "platform/cp1251/Ansi.h"

#include <QWidget>
#include <QtEndian>
#include <algorithm>
#include <memory>

namespace {
constexpr char Signature[4] = {'V', 'C', 'S', '1'};
// Owned components nested deeper than this are refused when reading.
constexpr int MaxDepth = 32;
// Coordinates and sizes of controls read from a stream are kept to this.
constexpr int MaxCoordinate = 32767;

EReadError InvalidStream()
{
    return EReadError("Invalid component stream");
}

const QList<TComponentClass> &Registry()
{
    static const QList<TComponentClass> registry = ProgramComponentClasses();
    return registry;
}

TPublishedProperty GeometryProperty(const char *name, int (*get)(const QWidget *), void (*set)(QWidget *, int))
{
    return {QString::fromLatin1(name), [get](const QObject *o) { return QVariant(get(static_cast<const QWidget *>(o))); },
            [set](QObject *o, const QVariant &v) {
                if (v.typeId() != QMetaType::LongLong)
                    throw EReadError("Invalid value for a control's position or size");
                set(static_cast<QWidget *>(o), int(std::clamp<qint64>(v.toLongLong(), -MaxCoordinate, MaxCoordinate)));
            }};
}

QList<TPublishedProperty> ControlProperties()
{
    return {
        GeometryProperty("Left", [](const QWidget *w) { return w->x(); }, [](QWidget *w, int n) { w->move(n, w->y()); }),
        GeometryProperty("Top", [](const QWidget *w) { return w->y(); }, [](QWidget *w, int n) { w->move(w->x(), n); }),
        GeometryProperty("Width", [](const QWidget *w) { return w->width(); },
                         [](QWidget *w, int n) { w->resize(std::max(n, 0), w->height()); }),
        GeometryProperty("Height", [](const QWidget *w) { return w->height(); },
                         [](QWidget *w, int n) { w->resize(w->width(), std::max(n, 0)); }),
    };
}

// The published properties of an object of the class: a control's position
// and size first, then the class's own.
QList<TPublishedProperty> PublishedProperties(const TComponentClass &cls, const QObject *object)
{
    QList<TPublishedProperty> properties;
    if (object->isWidgetType())
        properties = ControlProperties();
    properties += cls.Properties;
    return properties;
}

const TComponentClass &ClassOf(const QObject *component)
{
    const QString name = QString::fromLatin1(component->metaObject()->className());
    const TComponentClass *cls = FindComponentClass(name);
    if (!cls)
        throw EClassNotFound(ToAnsi("Class " + name + " is not registered"));
    return *cls;
}

// A stored value in one of the three kinds, or an invalid variant.
QVariant StoredValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool: return value;
    case QMetaType::QString: return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return QVariant(value.toLongLong());
    default: return QVariant();
    }
}

void WriteU32(TMemoryStream &stream, uint32_t n)
{
    const uint32_t le = qToLittleEndian(n);
    stream.Write(&le, 4);
}

void WriteString(TMemoryStream &stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    WriteU32(stream, uint32_t(bytes.size()));
    stream.Write(bytes.constData(), bytes.size());
}

void WriteBody(TMemoryStream &stream, const TComponentRecord &record)
{
    WriteString(stream, record.ClassName);
    WriteString(stream, record.Name);
    WriteU32(stream, uint32_t(record.Properties.size()));
    for (const auto &[name, value] : record.Properties) {
        WriteString(stream, name);
        if (value.typeId() == QMetaType::Bool) {
            const char kind[2] = {'B', char(value.toBool() ? 1 : 0)};
            stream.Write(kind, 2);
        } else if (value.typeId() == QMetaType::QString) {
            stream.Write("S", 1);
            WriteString(stream, value.toString());
        } else {
            stream.Write("I", 1);
            const qint64 le = qToLittleEndian<qint64>(value.toLongLong());
            stream.Write(&le, 8);
        }
    }
    WriteU32(stream, uint32_t(record.Children.size()));
    for (const TComponentRecord &child : record.Children)
        WriteBody(stream, child);
}

// Reads with every length checked against what is left.
class TRecordReader {
public:
    explicit TRecordReader(TMemoryStream &stream) : FStream(stream) {}

    TComponentRecord Component(int depth)
    {
        if (depth > MaxDepth)
            throw InvalidStream();
        TComponentRecord record;
        record.ClassName = String();
        record.Name = String();
        // Each property takes at least 6 bytes and each component 16, so a
        // count larger than what is left is refused before anything grows.
        const uint32_t properties = Count(6);
        for (uint32_t i = 0; i < properties; ++i) {
            const QString name = String();
            const char kind = Bytes(1)[0];
            switch (kind) {
            case 'B': record.Properties.append({name, QVariant(Bytes(1)[0] != 0)}); break;
            case 'S': record.Properties.append({name, QVariant(String())}); break;
            case 'I': record.Properties.append({name, QVariant(qFromLittleEndian<qint64>(Bytes(8).constData()))}); break;
            default: throw InvalidStream();
            }
        }
        const uint32_t children = Count(16);
        for (uint32_t i = 0; i < children; ++i)
            record.Children.append(Component(depth + 1));
        return record;
    }

    QByteArray Bytes(int64_t n)
    {
        if (n < 0 || n > Left())
            throw InvalidStream();
        QByteArray bytes(FStream.Memory() + FStream.Position(), n);
        FStream.SetPosition(FStream.Position() + n);
        return bytes;
    }

private:
    int64_t Left() const { return FStream.Size() - FStream.Position(); }

    uint32_t U32() { return qFromLittleEndian<uint32_t>(Bytes(4).constData()); }

    uint32_t Count(int64_t minimumSize)
    {
        const uint32_t n = U32();
        if (int64_t(n) * minimumSize > Left())
            throw InvalidStream();
        return n;
    }

    QString String()
    {
        const uint32_t size = U32();
        return QString::fromUtf8(Bytes(size));
    }

    TMemoryStream &FStream;
};

std::unique_ptr<QObject> Build(const TComponentRecord &record, QWidget *parent)
{
    const TComponentClass *cls = FindComponentClass(record.ClassName);
    if (!cls)
        throw EClassNotFound(ToAnsi("Class " + record.ClassName + " not found"));
    std::unique_ptr<QObject> component(cls->Create());
    component->setObjectName(record.Name);
    const QList<TPublishedProperty> properties = PublishedProperties(*cls, component.get());
    for (const auto &[name, value] : record.Properties) {
        const auto p = std::find_if(properties.begin(), properties.end(),
                                    [&key = name](const TPublishedProperty &q) { return q.Name == key; });
        if (p == properties.end())
            throw EReadError(ToAnsi("Unknown property " + record.ClassName + "." + name));
        p->Set(component.get(), value);
    }
    auto *control = qobject_cast<QWidget *>(component.get());
    for (const TComponentRecord &childRecord : record.Children) {
        std::unique_ptr<QObject> child = Build(childRecord, control);
        if (!child->isWidgetType())
            child->setParent(component.get());
        else if (!control)
            throw EReadError(ToAnsi("Control " + childRecord.Name + " needs a control to own it"));
        child.release();
    }
    if (control && parent) {
        control->setParent(parent);
        control->show();
    }
    return component;
}

QString Quoted(const QString &text)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': quoted += QLatin1String("\\\""); break;
        case '\\': quoted += QLatin1String("\\\\"); break;
        case '\n': quoted += QLatin1String("\\n"); break;
        case '\r': quoted += QLatin1String("\\r"); break;
        case '\t': quoted += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                quoted += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                quoted += c;
        }
    }
    return quoted + QLatin1Char('"');
}

void AppendText(const TComponentRecord &record, const QString &indent, QStringList &lines)
{
    lines.append(indent + QLatin1String("object ") +
                 (record.Name.isEmpty() ? record.ClassName : record.Name + QLatin1String(": ") + record.ClassName));
    for (const auto &[name, value] : record.Properties) {
        QString text;
        if (value.typeId() == QMetaType::Bool)
            text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else if (value.typeId() == QMetaType::QString)
            text = Quoted(value.toString());
        else
            text = QString::number(value.toLongLong());
        lines.append(indent + QLatin1String("  ") + name + QLatin1String(" = ") + text);
    }
    for (const TComponentRecord &child : record.Children)
        AppendText(child, indent + QLatin1String("  "), lines);
    lines.append(indent + QLatin1String("end"));
}
} // namespace

TPublishedProperty QtProperty(const char *name)
{
    return {QString::fromLatin1(name), [name](const QObject *o) { return o->property(name); },
            [name](QObject *o, const QVariant &v) {
                if (!o->setProperty(name, v))
                    throw EReadError(QByteArray("Invalid value for property ") + name);
            }};
}

const TComponentClass *FindComponentClass(const QString &className)
{
    for (const TComponentClass &cls : Registry())
        if (cls.ClassName == className)
            return &cls;
    return nullptr;
}

TComponentRecord ComponentRecord(const QObject *component)
{
    const TComponentClass &cls = ClassOf(component);
    const std::unique_ptr<QObject> defaults(cls.Create());
    TComponentRecord record;
    record.ClassName = cls.ClassName;
    record.Name = component->objectName();
    for (const TPublishedProperty &p : PublishedProperties(cls, component)) {
        const QVariant value = StoredValue(p.Get(component));
        if (value.isValid() && value != StoredValue(p.Get(defaults.get())))
            record.Properties.append({p.Name, value});
    }
    for (const QObject *child : component->children())
        if (FindComponentClass(QString::fromLatin1(child->metaObject()->className())))
            record.Children.append(ComponentRecord(child));
    return record;
}

void WriteRecord(TMemoryStream &stream, const TComponentRecord &record)
{
    stream.Write(Signature, sizeof Signature);
    WriteBody(stream, record);
}

TComponentRecord ReadRecord(TMemoryStream &stream)
{
    TRecordReader reader(stream);
    if (reader.Bytes(sizeof Signature) != QByteArray(Signature, sizeof Signature))
        throw InvalidStream();
    return reader.Component(0);
}

QStringList RecordToText(const TComponentRecord &record)
{
    QStringList lines;
    AppendText(record, QString(), lines);
    return lines;
}

void WriteComponent(TMemoryStream &stream, const QObject *component)
{
    WriteRecord(stream, ComponentRecord(component));
}

QObject *ReadComponent(TMemoryStream &stream, QWidget *Parent)
{
    return Build(ReadRecord(stream), Parent).release();
}

QStringList ObjectBinaryToText(TMemoryStream &stream)
{
    return RecordToText(ReadRecord(stream));
}

void ComponentToText(const QObject *Component, QStringList &Lines)
{
    TMemoryStream stream;
    WriteComponent(stream, Component);
    stream.SetPosition(0);
    Lines = ObjectBinaryToText(stream);
}
