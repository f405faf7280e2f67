#include "widgets/ComponentStream.h"
#include "widgets/Memo.h"
#include "widgets/CheckBox.h"
#include "framework/Component.h"
#include "widgets/LabeledEdit.h"
#include "framework/MemoryStream.h"

#include <QLabel>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

namespace {
QByteArray Bytes(const QObject &component)
{
    TMemoryStream stream;
    WriteComponent(stream, &component);
    return stream.Bytes();
}

TMemoryStream Stream(const QByteArray &bytes)
{
    TMemoryStream stream;
    stream.Write(bytes.constData(), bytes.size());
    stream.SetPosition(0);
    return stream;
}

std::unique_ptr<QObject> Read(const QByteArray &bytes, QWidget *parent = nullptr)
{
    TMemoryStream stream = Stream(bytes);
    return std::unique_ptr<QObject>(ReadComponent(stream, parent));
}

QByteArray ReadError(const QByteArray &bytes)
{
    try {
        Read(bytes);
    } catch (const EReadError &e) {
        return e.Message();
    }
    return "(read)";
}

QByteArray U32(uint32_t n)
{
    QByteArray b(4, '\0');
    qToLittleEndian(n, b.data());
    return b;
}

QByteArray Str(const QByteArray &utf8)
{
    return U32(uint32_t(utf8.size())) + utf8;
}

// A hand-made stream: one component without children.
QByteArray OneComponent(const QByteArray &cls, const QByteArray &name, const QByteArray &properties = U32(0))
{
    return "VCS1" + Str(cls) + Str(name) + properties + U32(0);
}
} // namespace

TEST(ComponentStream, ControlsComeBackWithTheirPublishedProperties)
{
    QWidget form;
    TLabeledEdit edit(&form);
    edit.setObjectName(QStringLiteral("leKVIP"));
    edit.setGeometry(8, 24, 153, 21);
    edit.setText(QStringLiteral("192.168.0.7 \"x\""));
    edit.SetLabelCaption(QStringLiteral("IP адрес"));

    QWidget parent;
    const std::unique_ptr<QObject> read = Read(Bytes(edit), &parent);
    auto *copy = qobject_cast<TLabeledEdit *>(read.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->objectName(), QStringLiteral("leKVIP"));
    EXPECT_EQ(copy->geometry(), QRect(8, 24, 153, 21));
    EXPECT_EQ(copy->text(), QStringLiteral("192.168.0.7 \"x\""));
    EXPECT_EQ(copy->LabelCaption(), QStringLiteral("IP адрес"));
    EXPECT_EQ(copy->parentWidget(), &parent);
    // The caption label moves with the edit to its new parent.
    EXPECT_EQ(copy->EditLabel()->parentWidget(), &parent);
}

TEST(ComponentStream, OwnedComponentsAreWrittenAndReadWithTheirOwner)
{
    TComponent root;
    root.setObjectName(QStringLiteral("Root"));
    auto *a = new TComponent(&root);
    a->setObjectName(QStringLiteral("A"));
    auto *b = new TComponent(a);
    b->setObjectName(QStringLiteral("B"));
    new QObject(&root); // not a registered class: left out

    const std::unique_ptr<QObject> read = Read(Bytes(root));
    ASSERT_EQ(read->children().size(), 1);
    const QObject *readA = read->children().front();
    EXPECT_EQ(readA->objectName(), QStringLiteral("A"));
    ASSERT_EQ(readA->children().size(), 1);
    EXPECT_EQ(readA->children().front()->objectName(), QStringLiteral("B"));
    EXPECT_NE(qobject_cast<const TComponent *>(readA->children().front()), nullptr);
}

TEST(ComponentStream, TextFormShowsChangedPropertiesInBlocks)
{
    TCheckBox box;
    box.setObjectName(QStringLiteral("cbPLDKv2"));
    box.setText(QStringLiteral("Блок \"v2\"\n\x01\\"));
    box.setChecked(true);
    QStringList lines;
    ComponentToText(&box, lines);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.front(), QStringLiteral("object cbPLDKv2: TCheckBox"));
    EXPECT_TRUE(lines.contains(QStringLiteral("  Caption = \"Блок \\\"v2\\\"\\n\\x01\\\\\""))) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("  Checked = True")));
    EXPECT_EQ(lines.back(), QStringLiteral("end"));

    TComponent root;
    root.setObjectName(QStringLiteral("FormStorage1"));
    new TComponent(&root);
    ComponentToText(&root, lines);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("object FormStorage1: TComponent"), QStringLiteral("  object TComponent"),
                                  QStringLiteral("  end"), QStringLiteral("end")}))
        << "unchanged properties are not written; an unnamed component shows its class only";

    TMemo memo;
    memo.SetMaxLength(10);
    ComponentToText(&memo, lines);
    EXPECT_TRUE(lines.contains(QStringLiteral("  MaxLength = 10")));
    EXPECT_FALSE(lines.contains(QStringLiteral("  WordWrap = True"))) << "the default is not written";
}

TEST(ComponentStream, BrokenStreamsAreRefusedWithoutReadingPastTheirEnd)
{
    const QByteArray good = OneComponent("TComponent", "X");
    ASSERT_NE(Read(good), nullptr);
    for (int n = 0; n < good.size(); ++n)
        EXPECT_EQ(ReadError(good.left(n)), "Invalid component stream") << n << " bytes";
    EXPECT_EQ(ReadError("VCS2" + good.mid(4)), "Invalid component stream");
    // Counts and lengths larger than the stream.
    EXPECT_EQ(ReadError("VCS1" + U32(0xFFFFFFF0) + "TComponent"), "Invalid component stream");
    EXPECT_EQ(ReadError("VCS1" + Str("TComponent") + Str("X") + U32(0x7FFFFFFF)), "Invalid component stream");
    EXPECT_EQ(ReadError("VCS1" + Str("TComponent") + Str("X") + U32(0) + U32(0x10000000)), "Invalid component stream");
    // An unknown value kind.
    EXPECT_EQ(ReadError(OneComponent("TCheckBox", "c", U32(1) + Str("Checked") + "Q")), "Invalid component stream");
}

TEST(ComponentStream, ClassesAndPropertiesMustBeKnown)
{
    EXPECT_EQ(ReadError(OneComponent("TNoSuchThing", "x")), "Class TNoSuchThing not found");
    EXPECT_EQ(ReadError(OneComponent("TCheckBox", "c", U32(1) + Str("Colour") + "B\x01")), "Unknown property TCheckBox.Colour");
    EXPECT_EQ(ReadError(OneComponent("TCheckBox", "c", U32(1) + Str("Caption") + "B\x01")), "Invalid value for property Caption");
    EXPECT_EQ(ReadError(OneComponent("TCheckBox", "c", U32(1) + Str("Left") + "S" + Str("x"))),
              "Invalid value for a control's position or size");
    // A control cannot be owned by a component that is not one.
    const QByteArray nested = "VCS1" + Str("TComponent") + Str("r") + U32(0) + U32(1) + Str("TCheckBox") + Str("c") + U32(0) + U32(0);
    EXPECT_EQ(ReadError(nested), "Control c needs a control to own it");

    QObject plain;
    TMemoryStream stream;
    EXPECT_THROW(WriteComponent(stream, &plain), EClassNotFound);
}

TEST(ComponentStream, DeepNestingAndHugeGeometryAreKeptInBounds)
{
    QByteArray deep = "VCS1";
    for (int i = 0; i < 40; ++i)
        deep += Str("TComponent") + Str("n") + U32(0) + U32(1);
    deep += Str("TComponent") + Str("leaf") + U32(0) + U32(0);
    EXPECT_EQ(ReadError(deep), "Invalid component stream");

    QByteArray i64(8, '\0');
    qToLittleEndian<qint64>(qint64(1) << 40, i64.data());
    const std::unique_ptr<QObject> read = Read(OneComponent("TCheckBox", "c", U32(1) + Str("Width") + "I" + i64));
    EXPECT_EQ(qobject_cast<QWidget *>(read.get())->width(), 32767);
}
