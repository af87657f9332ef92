#include "Kzutil.h"

#include <gtest/gtest.h>

TEST(KzCmdLine, SplitsAtBlanksOutsideQuotes)
{
    CKzCmdLine cmd;
    EXPECT_TRUE(cmd.Parse("one   two"));
    ASSERT_EQ(cmd.GetArgCount(), 2);
    EXPECT_STREQ(cmd[0], "one");
    EXPECT_STREQ(cmd[1], "two");
    EXPECT_STREQ(cmd.GetArg(5), "");
    EXPECT_STREQ(cmd.GetArg(-1), "");

    EXPECT_TRUE(cmd.Parse("/t \"/home/u/My Photos\"\tx\\y"));
    ASSERT_EQ(cmd.GetArgCount(), 3);
    EXPECT_STREQ(cmd[1], "/home/u/My Photos");
    EXPECT_STREQ(cmd[2], "x\\y");
}

TEST(KzCmdLine, QuoteInsideAWordSplitsIt)
{
    CKzCmdLine cmd;
    EXPECT_TRUE(cmd.Parse("ab\"xy zw\"gh"));
    ASSERT_EQ(cmd.GetArgCount(), 3);
    EXPECT_STREQ(cmd[0], "ab");
    EXPECT_STREQ(cmd[1], "xy zw");
    EXPECT_STREQ(cmd[2], "gh");

    EXPECT_TRUE(cmd.Parse("a \"\" b \"rest of\tline"));
    ASSERT_EQ(cmd.GetArgCount(), 3);
    EXPECT_STREQ(cmd[1], "b");
    EXPECT_STREQ(cmd[2], "rest of\tline");
}

TEST(KzCmdLine, EmptyNullAndSeparatorOnlyTexts)
{
    CKzCmdLine cmd;
    EXPECT_TRUE(cmd.Parse("x"));
    EXPECT_TRUE(cmd.Parse(""));
    EXPECT_EQ(cmd.GetArgCount(), 0);
    EXPECT_TRUE(cmd.Parse("x"));
    EXPECT_FALSE(cmd.Parse(" \t  "));
    EXPECT_EQ(cmd.GetArgCount(), 0);
    EXPECT_FALSE(cmd.Parse("\"\""));
    EXPECT_FALSE(cmd.Parse(nullptr));
    EXPECT_STREQ(cmd[0], "");
}

TEST(KzCmdLine, CopiesOwnTheirArguments)
{
    CKzCmdLine a;
    a.Parse("first second");
    CKzCmdLine b(a);
    CKzCmdLine c;
    c = a;
    a.Parse("other");
    EXPECT_STREQ(b[1], "second");
    EXPECT_STREQ(c[0], "first");
    const CKzCmdLine& alias = c;
    c = alias;
    EXPECT_EQ(c.GetArgCount(), 2);
    CKzCmdLine empty;
    c = empty;
    EXPECT_EQ(c.GetArgCount(), 0);
}
