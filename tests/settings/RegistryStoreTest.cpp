// The registry store: sections as subkeys, texts as REG_SZ, its errors.

#include "ErrorOf.h"
#include "RegistryValues.h"
#include "settings/RegistryStore.h"

#include <gtest/gtest.h>

namespace RV = RegistryValues;
using namespace Reg;

TEST(RegistryStore, OpensItsKeyAtOnce)
{
    TRegistryStore store("Software\\Store");
    EXPECT_TRUE(RV::KeyExists("Software\\Store"));
    EXPECT_NE(store.CurrentKey(), HKEY_NONE);
}

TEST(RegistryStore, ReadsTextsOrTheirDefaults)
{
    TRegistryStore store("Software\\Store");
    EXPECT_EQ(store.StoreReadText("Main", "Name", "dflt"), "dflt") << "no section";
    RV::Set("Software\\Store\\Main", "Other", "x");
    EXPECT_EQ(store.StoreReadText("Main", "Name", "dflt"), "dflt") << "no value";
    RV::SetRaw("Software\\Store\\Main", "Empty", REG_DWORD, {});
    EXPECT_EQ(store.StoreReadText("Main", "Empty", "dflt"), "") << "size 0 is the empty text, whatever the type";
    RV::SetRaw("Software\\Store\\Main", "Cut", REG_SZ, QByteArray("abc\0def\0", 8));
    EXPECT_EQ(store.StoreReadText("main", "cut", {}), "abc");
    RV::SetRaw("Software\\Store\\Main", "NoZero", REG_SZ, "abc");
    EXPECT_EQ(store.StoreReadText("Main", "NoZero", {}), "abc");
    RV::SetRaw("Software\\Store\\Main", "Expand", REG_EXPAND_SZ, QByteArray("%TEMP%\0", 7));
    EXPECT_EQ(store.StoreReadText("Main", "Expand", {}), "%TEMP%");
    RV::SetRaw("Software\\Store\\Main", "Number", REG_DWORD, QByteArray("\x05\0\0\0", 4));
    EXPECT_EQ(ErrorOf([&] { store.StoreReadText("Main", "Number", {}); }), "Invalid data type for 'Number'");
    EXPECT_EQ(ErrorOf([&] { store.ReadNumber("Main", "Number", 0); }), "Invalid data type for 'Number'");

    RV::Set("Software\\Store\\Main", "Bad", "12x");
    EXPECT_EQ(store.ReadNumber("Main", "Bad", -7), -7);
    RV::Set("Software\\Store\\Main", "Good", " -12");
    EXPECT_EQ(store.ReadNumber("Main", "Good", 0), -12);
    EXPECT_EQ(store.ReadNumber("Main", "Missing", 3), 3);
}

TEST(RegistryStore, WritesTextsCreatingTheirSections)
{
    TRegistryStore store("Software\\Store");
    store.StoreWriteText("Main\\Sub", "Name", "v");
    EXPECT_EQ(RV::Get("Software\\Store\\Main\\Sub", "Name"), "v");
    store.StoreWriteText("\\Software\\Elsewhere", "Name", "w");
    EXPECT_EQ(RV::Get("Software\\Elsewhere", "Name"), "w") << "a leading '\\' starts at the root";
    EXPECT_EQ(store.StoreReadText("\\Software\\Elsewhere", "Name", {}), "w");
    store.WriteNumber("Main", "N", -5);
    store.WriteFlag("Main", "T", true);
    store.WriteFlag("Main", "F", false);
    EXPECT_EQ(RV::Get("Software\\Store\\Main", "N"), "-5");
    EXPECT_EQ(RV::Get("Software\\Store\\Main", "T"), "1");
    EXPECT_EQ(RV::Get("Software\\Store\\Main", "F"), "0");
    DWORD type = 0, size = 0;
    const HKEY key = RV::Open("Software\\Store\\Main", false);
    ASSERT_EQ(QueryValueEx(key, "N", &type, nullptr, &size), ERROR_SUCCESS);
    CloseKey(key);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 3u) << "the text and one zero byte";
}

TEST(RegistryStore, AReadOnlyStoreDoesNotWrite)
{
    TRegistryStore store("Software\\Store");
    store.SetAccess(KEY_READ);
    EXPECT_EQ(ErrorOf([&] { store.StoreWriteText("Main", "Name", "v"); }), "Failed to set data for 'Name'");
    EXPECT_EQ(RV::Get("Software\\Store\\Main", "Name"), "<missing>");
}

TEST(RegistryStore, AKeyThatCannotBeOpenedLeavesTheSectionsBelowTheRoot)
{
    // A path may not start with a separator, on either system (an empty
    // part further on is skipped by Windows).
    TRegistryStore store("\\Software\\Bad");
    EXPECT_EQ(store.CurrentKey(), HKEY_NONE);
    store.StoreWriteText("Direct", "Name", "v");
    EXPECT_EQ(RV::Get("Direct", "Name"), "v");
}

TEST(RegistryStore, DeletingASectionRemovesEverythingBelowIt)
{
    TRegistryStore store("Software\\Store");
    store.StoreWriteText("Main.List", "Count", "2");
    store.StoreWriteText("Main.List\\a\\b", "x", "1");
    store.StoreWriteText("Main.List\\c", "x", "1");
    store.StoreWriteText("Main", "Keep", "1");
    store.DeleteSection("Main.List");
    EXPECT_FALSE(RV::KeyExists("Software\\Store\\Main.List"));
    EXPECT_EQ(RV::Get("Software\\Store\\Main", "Keep"), "1");
    store.DeleteSection("Nothing"); // not there: nothing happens
}

TEST(RegistryStore, OtherRoots)
{
    TRegistryStore store("Software\\Store");
    store.SwitchRoot(HKEY_USERS, false);
    EXPECT_EQ(store.CurrentKey(), HKEY_NONE) << "not created for reading";
    store.SwitchRoot(HKEY_USERS, true);
    EXPECT_NE(store.CurrentKey(), HKEY_NONE);
    store.StoreWriteText("Main", "Name", "u");
    HKEY key = HKEY_NONE;
    ASSERT_EQ(OpenKeyEx(HKEY_USERS, "Software\\Store\\Main", KEY_READ, &key), ERROR_SUCCESS);
    CloseKey(key);
    EXPECT_EQ(RV::Get("Software\\Store\\Main", "Name"), "<missing>");
}

TEST(RegistryStore, AValueLengthenedWhileItIsReadIsReadAgain)
{
    // Another writer lengthens the value before each of the store's reads.
    struct TGrowingValueStore : TRegistryStore {
        int Growths;
        explicit TGrowingValueStore(int growths) : TRegistryStore("Software\\Store"), Growths(growths) {}
        LONG QueryValue(HKEY key, const QByteArray &name, DWORD *type, char *data, DWORD *size) override
        {
            if (data && Growths-- > 0)
                RV::Set("Software\\Store\\Main", name, RV::Get("Software\\Store\\Main", name) + "+");
            return TRegistryStore::QueryValue(key, name, type, data, size);
        }
    };
    RV::Set("Software\\Store\\Main", "Name", "text");
    EXPECT_EQ(TGrowingValueStore(1).StoreReadText("Main", "Name", {}), "text+");
    EXPECT_EQ(ErrorOf([] { TGrowingValueStore(1000).StoreReadText("Main", "Name", {}); }),
              "Failed to get data for 'Name'") << "a value that never stops growing";
}
