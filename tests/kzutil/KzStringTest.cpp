#include "Kzutil.h"

#include <gtest/gtest.h>

#include <string>

TEST(KzString, EmptyStatesAndConstruction)
{
    CKzString s;
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s, "");
    EXPECT_EQ(s.GetCapacity(), 1);

    CKzString fromNull(static_cast<const char*>(nullptr));
    EXPECT_STREQ(fromNull.c_str(), "");

    CKzString abc("abc");
    EXPECT_EQ(abc.GetLength(), 3);
    EXPECT_EQ(abc.GetCapacity(), 4);
    CKzString copy(abc);
    copy.SetAt(0, 'x');
    EXPECT_STREQ(abc, "abc");
    EXPECT_STREQ(copy, "xbc");
}

TEST(KzString, StoresAreExactFitAndNeverShrink)
{
    CKzString s("abcdef");
    s = "xy";
    EXPECT_STREQ(s, "xy");
    EXPECT_EQ(s.GetCapacity(), 7);
    s = "0123456789";
    EXPECT_EQ(s.GetCapacity(), 11);
    s = 'q';
    EXPECT_STREQ(s, "q");
    EXPECT_EQ(s.GetLength(), 1);
    s = -42;
    EXPECT_STREQ(s, "-42");
    const CKzString& alias = s;
    s = alias;
    EXPECT_STREQ(s, "-42");
}

TEST(KzString, AppendsIncludingSelfAppend)
{
    CKzString s("abc");
    s += s;
    EXPECT_STREQ(s, "abc");
    s += s.c_str() + 1; // a pointer into our own text
    EXPECT_STREQ(s, "abcbc");
    EXPECT_EQ(s.GetCapacity(), 6);
    s += '!';
    EXPECT_STREQ(s, "abcbc!");
    EXPECT_STREQ(CKzString("a") + CKzString("b"), "ab");
    EXPECT_STREQ(CKzString("a") + "b", "ab");
    EXPECT_STREQ("a" + CKzString("b"), "ab");

    CKzString t("old");
    t.Strcat("new", "er");
    EXPECT_STREQ(t, "newer");
    t.Strcat(nullptr, "x");
    EXPECT_STREQ(t, "newer");
}

TEST(KzString, IndexBounds)
{
    CKzString s("abc");
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s.GetAt(3), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    EXPECT_FALSE(s.SetAt(3, 'x'));
    EXPECT_FALSE(CKzString().SetAt(0, 'x'));

    EXPECT_FALSE(s.SetLength(3));
    EXPECT_FALSE(s.SetLength(-1));
    EXPECT_TRUE(s.SetLength(0));
    EXPECT_STREQ(s, "");

    CKzString m("abc");
    EXPECT_TRUE(m.Mid(1));
    EXPECT_STREQ(m, "bc");
    EXPECT_FALSE(m.Mid(2));
    EXPECT_FALSE(m.Mid(-1));
    EXPECT_FALSE(CKzString().Mid(0));
    EXPECT_TRUE(CKzString("abc").Mid(0));
}

TEST(KzString, Find)
{
    CKzString s("abcabc");
    EXPECT_EQ(s.Find('c'), 2);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.Find("ca"), 2);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(CKzString("abc").Find("abcd"), -1);
    EXPECT_EQ(CKzString().Find(""), 0);
    EXPECT_EQ(s.Find(static_cast<const char*>(nullptr)), -1);
}

TEST(KzString, FormatGrowsPastTheFirstBuffer)
{
    CKzString s("keep");
    std::string big(1000, 'x');
    EXPECT_EQ(s.Format("%s", big.c_str()), 1000);
    EXPECT_EQ(std::string(s.c_str()), big);
    EXPECT_EQ(s.GetCapacity(), 1001);

    EXPECT_EQ(s.Format("%d items", 3), 7);
    EXPECT_STREQ(s, "3 items");
    std::string exact(255, 'y'); // text and terminator fill the first buffer exactly
    EXPECT_EQ(s.Format("%s", exact.c_str()), 255);
    EXPECT_EQ(s.Format("%s!", s.c_str()), 256); // formatting from our own text
    EXPECT_EQ(s.GetLength(), 256);
}

TEST(KzString, ReplaceIsLeftToRightWithoutResearching)
{
    CKzString s("a.b.a");
    EXPECT_EQ(s.Replace("a", "xa"), 2);
    EXPECT_STREQ(s, "xa.b.xa");

    CKzString t("aaa");
    EXPECT_EQ(t.Replace("aa", "b"), 1);
    EXPECT_STREQ(t, "ba");
    EXPECT_EQ(t.Replace("", "x"), 0);
    EXPECT_EQ(t.Replace(nullptr, "x"), 0);
    EXPECT_EQ(t.Replace("b", ""), 1);
    EXPECT_STREQ(t, "a");
    EXPECT_EQ(CKzString().Replace("a", "b"), 0);

    CKzString self("abab");
    EXPECT_EQ(self.Replace("a", self.c_str()), 2); // replacement text points into the string
    EXPECT_STREQ(self, "ababbababb");

    CKzString c("a-b-c");
    EXPECT_EQ(c.Replace('-', '+'), 2);
    EXPECT_STREQ(c, "a+b+c");
}

TEST(KzString, RemoveAndCase)
{
    CKzString s("a b\te");
    EXPECT_TRUE(s.RemoveSpace());
    EXPECT_STREQ(s, "abe");
    EXPECT_TRUE(s.RemoveSpace());
    EXPECT_FALSE(CKzString().RemoveSpace());
    EXPECT_FALSE(s.Remove('z'));
    EXPECT_TRUE(s.Remove('b'));
    EXPECT_STREQ(s, "ae");

    CKzString c("MiXed \xC4");
    c.ToLower();
    EXPECT_STREQ(c, "mixed \xC4");
    c.ToUpper();
    EXPECT_STREQ(c, "MIXED \xC4");
}
