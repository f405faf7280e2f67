// The registry store on the hive file that stands in for the registry on
// Linux: a hive that cannot be written.

#include "ErrorOf.h"
#include "settings/RegistryStore.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Reg;

TEST(RegistryStore, AFailedKeyCreationIsReported)
{
    TRegistryStore store("Software\\Store");
    const QString hive = HiveFilePath(HKEY_CURRENT_USER);
    ASSERT_TRUE(QFile::remove(hive));
    ASSERT_TRUE(QDir().mkpath(hive));
    EXPECT_EQ(ErrorOf([&] { store.StoreWriteText("Main", "Name", "v"); }), "Failed to create key Main");
    EXPECT_EQ(store.StoreReadText("Main", "Name", "dflt"), "dflt");
}
