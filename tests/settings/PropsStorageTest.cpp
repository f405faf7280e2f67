// How each kind of published property becomes a stored text and back.

#include "framework/Collection.h"
#include "framework/Component.h"
#include "framework/Form.h"
#include "settings/PropsStorage.h"
#include "settings/WinMinMaxInfo.h"
#include "support/Ansi.h"

#include <QMap>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
class TTestItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(int Width MEMBER Width)

public:
    using TCollectionItem::TCollectionItem;
    QString Caption;
    int Width = 0;
};

class TTestItems : public TCollection {
    Q_OBJECT

public:
    using TCollection::TCollection;
    int Updates = 0;

protected:
    TCollectionItem *CreateItem() override { return new TTestItem(this); }
    void Update() override { ++Updates; }
};

// One property of every kind.
class TKinds : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Int MEMBER Int)
    Q_PROPERTY(uint UInt MEMBER UInt)
    Q_PROPERTY(qint64 Big MEMBER Big)
    Q_PROPERTY(char Char MEMBER Char)
    Q_PROPERTY(QChar Wide MEMBER Wide)
    Q_PROPERTY(TMode Mode MEMBER Mode)
    Q_PROPERTY(bool Flag MEMBER Flag)
    Q_PROPERTY(TForm::TBorderIcons Icons READ Icons WRITE SetIcons)
    Q_PROPERTY(float Single MEMBER Single)
    Q_PROPERTY(double Double MEMBER Double)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_PROPERTY(QByteArray Bytes MEMBER Bytes)
    Q_PROPERTY(QVariant Var MEMBER Var)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(TTestItems *Items MEMBER Items)
    Q_PROPERTY(QWidget *Buddy MEMBER Buddy)
    Q_PROPERTY(TWinMinMaxInfo *Limits MEMBER Limits)
    Q_PROPERTY(QSize Size MEMBER Size)
    Q_PROPERTY(int ReadOnly READ ReadOnly)

public:
    enum TMode : int { mFirst, mSecond, mThird };
    Q_ENUM(TMode)

    explicit TKinds(QObject *parent = nullptr) : QObject(parent) {}
    TForm::TBorderIcons Icons() const { return FIcons; }
    void SetIcons(TForm::TBorderIcons icons) { FIcons = icons; }
    int ReadOnly() const { return 7; }

    int Int = 0;
    uint UInt = 0;
    qint64 Big = 0;
    char Char = 'a';
    QChar Wide = QLatin1Char('w');
    TMode Mode = mFirst;
    bool Flag = false;
    float Single = 0;
    double Double = 0;
    QString Text;
    QByteArray Bytes;
    QVariant Var;
    QStringList Lines;
    TTestItems *Items = new TTestItems(this);
    QWidget *Buddy = nullptr;
    TWinMinMaxInfo *Limits = new TWinMinMaxInfo(this);
    QSize Size;

private:
    TForm::TBorderIcons FIcons;
};

// A storage writing into and reading from a map "section|name" -> text.
struct Store {
    QMap<QByteArray, QByteArray> Values;
    QList<QByteArray> Erased;
    TPropsStorage Storage;

    explicit Store(QObject *object)
    {
        Storage.AObject = object;
        Storage.Prefix = "K_";
        Storage.Section = "S";
        Storage.OnWriteString = [this](const QByteArray &s, const QByteArray &n, const QByteArray &t) {
            Values[s + '|' + n] = t;
        };
        Storage.OnReadString = [this](const QByteArray &s, const QByteArray &n, const QByteArray &fallback) {
            return Values.value(s + '|' + n, fallback);
        };
        Storage.OnEraseSection = [this](const QByteArray &s) {
            Erased.append(s);
            for (auto it = Values.begin(); it != Values.end();)
                it = it.key().startsWith(s + '|') ? Values.erase(it) : std::next(it);
        };
    }
    QMetaProperty Property(const char *name) const
    {
        const QMetaObject *meta = Storage.AObject->metaObject();
        return meta->property(meta->indexOfProperty(name));
    }
    void Save(const char *name) { Storage.SaveProperty(Property(name)); }
    void Load(const char *name) { Storage.LoadProperty(Property(name)); }
    QByteArray Saved(const char *name)
    {
        Values.clear();
        Save(name);
        return Values.value(QByteArray("S|K_") + name, "<none>");
    }
    void LoadText(const char *name, const QByteArray &text)
    {
        Values[QByteArray("S|K_") + name] = text;
        Load(name);
    }
};
} // namespace

TEST(PropsStorage, SavedTextsByKind)
{
    TKinds k;
    Store store(&k);
    k.Int = -5;
    EXPECT_EQ(store.Saved("Int"), "-5");
    k.UInt = 4000000000u;
    EXPECT_EQ(store.Saved("UInt"), "4000000000");
    k.Big = -9000000000LL;
    EXPECT_EQ(store.Saved("Big"), "-9000000000");
    EXPECT_EQ(store.Saved("Char"), "a");
    k.Wide = QChar(0x0416); // Ж
    EXPECT_EQ(store.Saved("Wide"), A("Ж"));
    k.Mode = TKinds::mSecond;
    EXPECT_EQ(store.Saved("Mode"), "mSecond");
    k.Mode = TKinds::TMode(42); // no name: nothing is written
    EXPECT_EQ(store.Saved("Mode"), "<none>");
    EXPECT_EQ(store.Saved("Flag"), "False");
    k.SetIcons(TForm::biMinimize | TForm::biSystemMenu);
    EXPECT_EQ(store.Saved("Icons"), "[biSystemMenu,biMinimize]");
    k.SetIcons({});
    EXPECT_EQ(store.Saved("Icons"), "[]");
    k.Text = QStringLiteral("  10.0.0.5:971\r\n");
    EXPECT_EQ(store.Saved("Text"), "10.0.0.5:971") << "trimmed";
    k.Text.clear();
    EXPECT_EQ(store.Saved("Text"), "") << "texts are written even when empty";
    k.Bytes = A("Сервер");
    EXPECT_EQ(store.Saved("Bytes"), A("Сервер"));
    EXPECT_EQ(store.Saved("Var"), "<none>") << "an empty variant is not written";
    k.Var = 2.5;
    EXPECT_EQ(store.Saved("Var"), "2.5");
    k.Var = true;
    EXPECT_EQ(store.Saved("Var"), "True");
    EXPECT_EQ(store.Saved("Size"), "<none>") << "a kind that is not stored";
    EXPECT_EQ(store.Saved("ReadOnly"), "7");
}

TEST(PropsStorage, FloatingPointTexts)
{
    EXPECT_EQ(FloatToText(0.1, 15), "0.1");
    EXPECT_EQ(FloatToText(1.0 / 3, 15), "0.333333333333333");
    EXPECT_EQ(FloatToText(1.0 / 3, 7), "0.3333333");
    EXPECT_EQ(FloatToText(100, 15), "100");
    EXPECT_EQ(FloatToText(1e20, 15), "1E20");
    EXPECT_EQ(FloatToText(1e15, 15), "1E15");
    EXPECT_EQ(FloatToText(123456789012345.0, 15), "123456789012345");
    EXPECT_EQ(FloatToText(-1.5e-10, 15), "-1.5E-10");
    EXPECT_EQ(FloatToText(0.0001, 15), "0.0001");
    EXPECT_EQ(FloatToText(0.00001, 15), "1E-5");
    EXPECT_EQ(FloatToText(std::numeric_limits<double>::infinity(), 15), "INF");
    EXPECT_EQ(TextToFloat("2.5"), 2.5);
    EXPECT_EQ(TextToFloat(" +1E20 "), 1e20);
    EXPECT_EQ(TextToFloat("1e-5"), 1e-5);
    EXPECT_FALSE(TextToFloat("2,5").has_value());
    EXPECT_FALSE(TextToFloat("").has_value());
    EXPECT_FALSE(TextToFloat("1.5x").has_value());

    TKinds k;
    Store store(&k);
    k.Single = 0.1f;
    EXPECT_EQ(store.Saved("Single"), "0.1");
    k.Double = 1234.5678;
    EXPECT_EQ(store.Saved("Double"), "1234.5678");
    store.LoadText("Double", "1,5");
    EXPECT_EQ(k.Double, 1234.5678) << "a text that does not convert leaves the value";
    store.LoadText("Double", "-2.5E-3");
    EXPECT_EQ(k.Double, -0.0025);
    store.LoadText("Single", "3.25");
    EXPECT_EQ(k.Single, 3.25f);
}

TEST(PropsStorage, LoadedTextsByKind)
{
    TKinds k;
    Store store(&k);
    k.Int = 9;
    store.LoadText("Int", "abc");
    EXPECT_EQ(k.Int, 0) << "a text that is not a number sets 0";
    store.LoadText("Int", " $1F");
    EXPECT_EQ(k.Int, 31);
    store.LoadText("UInt", "4000000000");
    EXPECT_EQ(k.UInt, 4000000000u);
    store.LoadText("Big", "-9000000000");
    EXPECT_EQ(k.Big, -9000000000LL);
    store.LoadText("Char", "");
    EXPECT_EQ(k.Char, 'a');
    store.LoadText("Char", "xyz");
    EXPECT_EQ(k.Char, 'x');
    store.LoadText("Wide", A("Жук"));
    EXPECT_EQ(k.Wide, QChar(0x0416));
    store.LoadText("Mode", "MTHIRD");
    EXPECT_EQ(k.Mode, TKinds::mThird);
    store.LoadText("Mode", "nothing");
    EXPECT_EQ(k.Mode, TKinds::mThird);
    store.LoadText("Flag", "tRuE");
    EXPECT_TRUE(k.Flag);
    store.LoadText("Flag", "1");
    EXPECT_TRUE(k.Flag);
    store.LoadText("Flag", "FALSE");
    EXPECT_FALSE(k.Flag);
    store.LoadText("Icons", "biMinimize biSystemMenu");
    EXPECT_EQ(k.Icons(), TForm::biMinimize | TForm::biSystemMenu);
    store.LoadText("Icons", "[bogus,BIHELP]");
    EXPECT_EQ(k.Icons(), TForm::TBorderIcons(TForm::biHelp));
    store.LoadText("Icons", "[]");
    EXPECT_EQ(k.Icons(), TForm::TBorderIcons());
    store.LoadText("Text", "  " + A("Сервер") + "  ");
    EXPECT_EQ(k.Text, QStringLiteral("Сервер"));
    store.LoadText("Bytes", "raw");
    EXPECT_EQ(k.Bytes, "raw");
    k.Var = 7;
    store.LoadText("Var", "12");
    EXPECT_EQ(k.Var, QVariant(QStringLiteral("12"))) << "a variant comes back as a text";
    store.LoadText("ReadOnly", "9"); // cannot be written: no harm done
    EXPECT_EQ(k.ReadOnly(), 7);
}

TEST(PropsStorage, AMissingValueLeavesThePropertyAsItIs)
{
    TKinds k;
    k.Int = 9;
    k.Text = QStringLiteral("kept");
    k.Flag = true;
    k.Mode = TKinds::mSecond;
    Store store(&k);
    for (const char *name : {"Int", "Text", "Flag", "Mode", "Char", "Wide", "Double", "Lines", "Items", "Limits"})
        store.Load(name);
    EXPECT_EQ(k.Int, 9);
    EXPECT_EQ(k.Text, QStringLiteral("kept"));
    EXPECT_TRUE(k.Flag);
    EXPECT_EQ(k.Mode, TKinds::mSecond);
    EXPECT_EQ(k.Items->Count(), 0);
}

TEST(PropsStorage, StringListsLiveInASubsection)
{
    TKinds k;
    Store store(&k);
    k.Lines = {QStringLiteral(" one "), QStringLiteral("Два")};
    store.Save("Lines");
    EXPECT_EQ(store.Erased, QList<QByteArray>{"S.K_Lines"});
    EXPECT_EQ(store.Values, (QMap<QByteArray, QByteArray>{
                                {"S.K_Lines|Count", "2"}, {"S.K_Lines|Item0", " one "}, {"S.K_Lines|Item1", A("Два")}}));
    k.Lines.clear();
    store.Load("Lines");
    EXPECT_EQ(k.Lines, (QStringList{QStringLiteral(" one "), QStringLiteral("Два")}));

    k.Lines.clear();
    store.Save("Lines"); // an empty list only clears the subsection
    EXPECT_TRUE(store.Values.isEmpty());
    k.Lines = {QStringLiteral("stays")};
    store.Values["S.K_Lines|Count"] = "0";
    store.Load("Lines");
    EXPECT_EQ(k.Lines, QStringList{QStringLiteral("stays")});
    store.Values["S.K_Lines|Count"] = "2000000000";
    store.Load("Lines");
    EXPECT_EQ(k.Lines.size(), TPropsStorage::MaxStoredItems) << "a damaged count is bounded";
}

TEST(PropsStorage, CollectionsStoreTheirItems)
{
    TKinds k;
    Store store(&k);
    for (int i = 0; i < 2; ++i) {
        auto *item = static_cast<TTestItem *>(k.Items->Add());
        item->Caption = QStringLiteral("c%1").arg(i);
        item->Width = 10 * (i + 1);
    }
    store.Save("Items");
    EXPECT_EQ(store.Values, (QMap<QByteArray, QByteArray>{{"S|K_Items.Count", "2"},
                                                          {"S.K_Items|Item0_Caption", "c0"},
                                                          {"S.K_Items|Item0_Width", "10"},
                                                          {"S.K_Items|Item1_Caption", "c1"},
                                                          {"S.K_Items|Item1_Width", "20"}}));
    store.Values["S|K_Items.Count"] = "3";
    store.Values["S.K_Items|Item2_Caption"] = "new";
    k.Items->Updates = 0;
    store.Load("Items");
    ASSERT_EQ(k.Items->Count(), 3);
    EXPECT_EQ(static_cast<TTestItem *>(k.Items->Item(0))->Caption, QStringLiteral("c0"));
    EXPECT_EQ(static_cast<TTestItem *>(k.Items->Item(1))->Width, 20);
    EXPECT_EQ(static_cast<TTestItem *>(k.Items->Item(2))->Caption, QStringLiteral("new"));
    EXPECT_EQ(k.Items->Updates, 1) << "changes are announced once at the end";
}

TEST(PropsStorage, NestedObjectsExtendThePrefix)
{
    TKinds k;
    Store store(&k);
    k.Limits->SetMinTrackWidth(250);
    store.Save("Limits");
    EXPECT_EQ(store.Values.value("S|K_LimitsMinTrackWidth"), "250");
    EXPECT_EQ(store.Values.value("S|K_LimitsMaxPosLeft"), "0");
    store.Values["S|K_LimitsMaxTrackHeight"] = "600";
    store.Load("Limits");
    EXPECT_EQ(k.Limits->MaxTrackHeight(), 600);
    EXPECT_EQ(k.Limits->MinTrackWidth(), 250);
}

TEST(PropsStorage, ComponentReferencesByName)
{
    TForm form;
    form.setObjectName(QStringLiteral("frmTest"));
    auto *mine = new QWidget(&form);
    mine->setObjectName(QStringLiteral("Panel1"));
    auto *nested = new QWidget(mine);
    nested->setObjectName(QStringLiteral("Inner"));
    TForm other;
    other.setObjectName(QStringLiteral("frmOther"));
    auto *theirs = new QWidget(&other);
    theirs->setObjectName(QStringLiteral("Panel9"));
    TForm unnamed;
    auto *orphan = new QWidget(&unnamed);
    orphan->setObjectName(QStringLiteral("Lone"));

    TKinds k(&form);
    Store store(&k);
    store.Storage.Owner = &form;
    EXPECT_EQ(store.Saved("Buddy"), "<none>") << "no object, nothing stored";
    k.Buddy = nested;
    EXPECT_EQ(store.Saved("Buddy"), "Inner");
    k.Buddy = theirs;
    EXPECT_EQ(store.Saved("Buddy"), "frmOther.Panel9");
    k.Buddy = orphan;
    EXPECT_EQ(store.Saved("Buddy"), "Form.Lone") << "an unnamed owner gives its class name without the T";

    store.LoadText("Buddy", "panel1");
    EXPECT_EQ(k.Buddy, mine);
    store.LoadText("Buddy", "FRMOTHER.panel9");
    EXPECT_EQ(k.Buddy, theirs);
    store.LoadText("Buddy", "");
    EXPECT_EQ(k.Buddy, theirs) << "an empty text changes nothing";
    store.LoadText("Buddy", "frmNowhere.Panel9");
    EXPECT_EQ(k.Buddy, theirs) << "no such form: unchanged";
    store.LoadText("Buddy", "frmOther.Missing");
    EXPECT_EQ(k.Buddy, nullptr) << "no such component on that form: cleared";
    k.Buddy = mine;
    store.LoadText("Buddy", "(NULL)");
    EXPECT_EQ(k.Buddy, nullptr);
    store.LoadText("Buddy", "Panel1");
    EXPECT_EQ(k.Buddy, nullptr) << "a reference that holds nothing is left alone";
    k.Buddy = mine;
    store.LoadText("Buddy", "Missing");
    EXPECT_EQ(k.Buddy, nullptr);
    k.Buddy = mine;
    auto *plain = new QObject(&form);
    plain->setObjectName(QStringLiteral("NotAWidget"));
    store.LoadText("Buddy", "NotAWidget");
    EXPECT_EQ(k.Buddy, mine) << "a component of another kind is not taken";
}

TEST(PropsStorage, EveryPublishedPropertyOfAnObject)
{
    TKinds k;
    Store store(&k);
    k.Int = 3;
    k.Text = QStringLiteral("t");
    store.Storage.SaveProperties(&k);
    EXPECT_EQ(store.Values.value("S|K_Int"), "3");
    EXPECT_EQ(store.Values.value("S|K_Text"), "t");
    EXPECT_FALSE(store.Values.contains("S|K_objectName"));
    EXPECT_EQ(store.Storage.Prefix, "K_") << "the prefix is the caller's again";

    TKinds other;
    store.Storage.LoadProperties(&other);
    EXPECT_EQ(other.Int, 3);
    EXPECT_EQ(other.Text, QStringLiteral("t"));
    EXPECT_EQ(store.Storage.AObject, &k);
}

#include "PropsStorageTest.moc"
