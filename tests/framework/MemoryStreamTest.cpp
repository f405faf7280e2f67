#include "framework/MemoryStream.h"

#include <gtest/gtest.h>

TEST(MemoryStream, ShrinkingKeepsTheStorage)
{
    TMemoryStream stream;
    stream.SetSize(8192);
    const char *storage = stream.Memory();
    stream.SetSize(5);
    EXPECT_EQ(stream.Size(), 5);
    stream.SetSize(8192);
    EXPECT_EQ(stream.Memory(), storage);
}

TEST(MemoryStream, ReadAndWriteFollowThePosition)
{
    TMemoryStream stream;
    EXPECT_EQ(stream.Write("abcdef", 6), 6);
    EXPECT_EQ(stream.Position(), 6);
    stream.SetPosition(2);
    char buffer[10] = {};
    EXPECT_EQ(stream.Read(buffer, 10), 4);
    EXPECT_STREQ(buffer, "cdef");
    EXPECT_EQ(stream.Read(buffer, 10), 0);
    stream.SetPosition(100);
    EXPECT_EQ(stream.Position(), 6);
    stream.SetPosition(4);
    stream.Write("XYZ", 3);
    EXPECT_EQ(stream.Bytes(), "abcdXYZ");
    stream.SetSize(2);
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(stream.Bytes(), "ab");
}
