// The lines of StoredProps and their components, and the named values of
// StoredValues.

#include "RegistryValues.h"
#include "framework/Exception.h"
#include "settings/FormStorage.h"
#include "settings/Scramble.h"
#include "support/Ansi.h"

#include <QApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace RV = RegistryValues;

namespace {
const QByteArray Section = "Software\\Values\\Main";

struct TestForm : TForm {
    explicit TestForm(const QList<QByteArray> &lines = {})
    {
        Edit = new QLineEdit(this);
        Edit->setObjectName(QStringLiteral("edAddress"));
        Other = new QLineEdit(this);
        Other->setObjectName(QStringLiteral("edName"));
        Storage = new TFormStorage(this);
        Storage->SetLoading();
        Storage->SetUseRegistry(true);
        Storage->SetIniFileName("Software\\Values");
        Storage->SetIniSection("Main");
        Storage->SetStoredPropLines(lines);
        NotifyLoaded(this);
    }
    QLineEdit *Edit;
    QLineEdit *Other;
    TFormStorage *Storage;
};
} // namespace

TEST(StoredProps, LinesAreBoundToTheFormsComponentsOrDropped)
{
    EXPECT_FALSE(SplitStoredProp("edAddress").has_value());
    EXPECT_FALSE(SplitStoredProp(" . text").has_value());
    EXPECT_FALSE(SplitStoredProp("edAddress. \t").has_value());
    const auto split = SplitStoredProp(" edAddress\t.\r\ntext.more ");
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(split->Component, "edAddress");
    EXPECT_EQ(split->Property, "text.more");

    TestForm form({"edAddress . text", "edAddress", "Missing.text", "EDNAME.text", ".text", "edName.NoSuch"});
    EXPECT_EQ(form.Storage->StoredPropLines(),
              (QList<QByteArray>{"edAddress . text", "EDNAME.text", "edName.NoSuch"}));
    EXPECT_EQ(form.Storage->StoredPropComponent(0), form.Edit);
    EXPECT_EQ(form.Storage->StoredPropComponent(1), form.Other);

    form.Edit->setText(QStringLiteral(" 10.0.0.5 "));
    form.Other->setText(QStringLiteral("Сервер"));
    form.show();
    form.close();
    // Lines are rewritten with the components' names before every save; a
    // property that is not published is passed over.
    EXPECT_EQ(form.Storage->StoredPropLines(), (QList<QByteArray>{"edAddress.text", "edName.text", "edName.NoSuch"}));
    EXPECT_EQ(RV::Get(Section, "edAddress_text"), "10.0.0.5");
    EXPECT_EQ(RV::Get(Section, "edName_text"), A("Сервер"));
    EXPECT_EQ(RV::Get(Section, "edName_NoSuch"), "<missing>");
}

TEST(StoredProps, RenamedAndRemovedComponents)
{
    TestForm form({"edAddress.text", "edName.text", "edName.maxLength"});
    form.show();
    form.Edit->setObjectName(QStringLiteral("edHost"));
    form.Edit->setText(QStringLiteral("h"));
    delete form.Other;
    EXPECT_EQ(form.Storage->StoredPropLines(), QList<QByteArray>{"edAddress.text"});
    form.close();
    EXPECT_EQ(form.Storage->StoredPropLines(), QList<QByteArray>{"edHost.text"});
    EXPECT_EQ(RV::Get(Section, "edHost_text"), "h");

    // Lines given at run time are bound at once.
    form.Storage->SetStoredProps({QStringLiteral("edHost.readOnly"), QStringLiteral("gone.text")});
    EXPECT_EQ(form.Storage->StoredProps(), QStringList{QStringLiteral("edHost.readOnly")});
    form.show();
    form.close();
    EXPECT_EQ(RV::Get(Section, "edHost_readOnly"), "False");
}

TEST(StoredValues, AreSavedAndRestoredInOrderThroughTheirEvents)
{
    std::vector<QByteArray> order;
    {
        TestForm form;
        TStoredValue *count = form.Storage->StoredValues()->Add();
        count->SetName("Count");
        count->SetValue(41);
        count->OnSave = [&](TStoredValue *, QVariant &value) {
            order.push_back("Count");
            value = value.toInt() + 1;
        };
        TStoredValue *city = form.Storage->StoredValues()->Add();
        city->SetName("City");
        city->SetValue(QStringLiteral("Москва"));
        city->OnSave = [&](TStoredValue *, QVariant &) { order.push_back("City"); };
        form.show();
        form.close();
        EXPECT_EQ(count->Value(), QVariant(41)) << "the handler changes the saved copy";
    }
    EXPECT_EQ(order, (std::vector<QByteArray>{"Count", "City"}));
    EXPECT_EQ(RV::Get(Section, "Count"), "42");
    EXPECT_EQ(RV::Get(Section, "City"), A("Москва"));

    TestForm form;
    TStoredValue *count = form.Storage->StoredValues()->Add();
    count->SetName("count");
    count->OnRestore = [](TStoredValue *, QVariant &value) { value = value.toString().toInt() * 2; };
    TStoredValue *missing = form.Storage->StoredValues()->Add();
    missing->SetName("Missing");
    missing->SetValue(5);
    form.show();
    EXPECT_EQ(count->Value(), QVariant(84));
    EXPECT_EQ(missing->Value(), QVariant(QStringLiteral("5"))) << "the default is the value's own text";
    form.Storage->SetActive(false);
}

TEST(StoredValues, AKeyScramblesTheStoredText)
{
    const QByteArray secret = A("пароль \"1\"");
    {
        TestForm form;
        TStoredValue *value = form.Storage->StoredValues()->Add();
        value->SetName("Password");
        value->SetKeyString("key");
        value->SetValue(FromAnsi(secret));
        form.show();
        form.close();
    }
    const QByteArray stored = RV::Get(Section, "Password");
    EXPECT_FALSE(stored.contains(A("пароль")));
    EXPECT_EQ(stored, ScrambleText(secret, "key"));
    TestForm form;
    TStoredValue *value = form.Storage->StoredValues()->Add();
    value->SetName("Password");
    value->SetKeyString("key");
    form.show();
    EXPECT_EQ(value->Value().toString(), FromAnsi(secret));
    form.Storage->SetActive(false);
}

TEST(StoredValues, NamesAreUnique)
{
    TestForm form;
    TStoredValues *values = form.Storage->StoredValues();
    TStoredValue *first = values->Add();
    first->SetName("Alpha");
    TStoredValue *second = values->Add();
    try {
        second->SetName("ALPHA");
        FAIL() << "a duplicate name was taken";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "String list does not allow duplicates");
    }
    EXPECT_EQ(second->Name(), "");
    first->SetName("alpha"); // its own name in another case
    EXPECT_EQ(values->IndexOf("ALPHA"), 0);
    EXPECT_EQ(values->StoredValue("Alpha"), first);
    EXPECT_EQ(first->DisplayName(), "alpha");
    EXPECT_EQ(second->DisplayName(), "TStoredValue");
    delete first;
    EXPECT_EQ(values->Count(), 1);
    second->SetName("Alpha");
    EXPECT_EQ(values->IndexOf("alpha"), 0);
}

TEST(Scramble, IsReversibleWithTheKeyOnly)
{
    QByteArray everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte.append(char(i));
    const QByteArray text = everyByte.repeated(3);
    const QByteArray scrambled = ScrambleText(text, "key");
    EXPECT_EQ(UnscrambleText(scrambled, "key"), text);
    EXPECT_NE(UnscrambleText(scrambled, "kez"), text);
    EXPECT_NE(ScrambleText(text, "kez"), scrambled);
    for (char c : scrambled)
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    EXPECT_EQ(ScrambleText({}, "key"), "");
    EXPECT_EQ(UnscrambleText("not scrambled", "key"), "not scrambled");
    EXPECT_EQ(UnscrambleText("ABC", "key"), "ABC");
}
