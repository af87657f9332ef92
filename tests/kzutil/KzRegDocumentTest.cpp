#include "KzRegDocument.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using kzreg::KzRegDocument;

namespace {

const std::string kRoot = "HKEY_CURRENT_USER";

std::vector<unsigned char> Bytes(const std::string& text, bool terminator = false)
{
    std::vector<unsigned char> bytes(text.begin(), text.end());
    if (terminator) bytes.push_back(0);
    return bytes;
}

// What a document becomes when written out and read back.
std::string Reformat(const std::string& text)
{
    KzRegDocument document;
    document.Parse(text, kRoot);
    return document.Format(kRoot);
}

} // namespace

TEST(KzRegDocument, WritesRegedit4WithParentKeysAndReadsItBack)
{
    KzRegDocument document;
    document.SetValue("Software\\Marvensk\\Vistrel", "InstallPath", kzreg::TypeSz, Bytes("/opt/v/", true));
    document.SetValue("Software\\Marvensk\\Vistrel", "Width", kzreg::TypeDword, {10, 0, 0, 0});
    document.SetValue("Software\\Marvensk\\Vistrel", "Blob", kzreg::TypeBinary, {1, 2});
    EXPECT_EQ(document.Format(kRoot), "REGEDIT4\n\n"
                                      "[HKEY_CURRENT_USER\\Software]\n\n"
                                      "[HKEY_CURRENT_USER\\Software\\Marvensk]\n\n"
                                      "[HKEY_CURRENT_USER\\Software\\Marvensk\\Vistrel]\n"
                                      "\"InstallPath\"=\"/opt/v/\"\n"
                                      "\"Width\"=dword:0000000a\n"
                                      "\"Blob\"=hex:01,02\n");

    KzRegDocument read;
    ASSERT_TRUE(read.Parse(document.Format(kRoot), kRoot));
    EXPECT_EQ(read.Format(kRoot), document.Format(kRoot));
    ASSERT_NE(read.FindKey("software\\MARVENSK"), nullptr);
    const kzreg::RegValue* width = read.FindValue("Software\\Marvensk\\Vistrel", "WIDTH");
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->type, kzreg::TypeDword);
    EXPECT_EQ(width->data, (std::vector<unsigned char>{10, 0, 0, 0}));
}

TEST(KzRegDocument, EscapesRoundTrip)
{
    const std::string names[] = {"plain", "quote\"d", "back\\slash", "ends\\", "[brackets]", "=eq=", "sp ace"};
    const std::string texts[] = {"",       "C:\\dir\\",  "say \"hi\"", "\\\"", "tab\there", "line\nbreak",
                                 "cr\rlf", "\xc3\xa9t\xc3\xa9", "\x7f\x01", "\"", "\\"};
    KzRegDocument document;
    int i = 0;
    for (const std::string& name : names)
        for (const std::string& text : texts)
            document.SetValue("Key]\\[Sub", name + std::to_string(i++), kzreg::TypeSz, Bytes(text, true));
    document.SetValue("Key]\\[Sub", "", kzreg::TypeSz, Bytes("default", true));

    KzRegDocument read;
    ASSERT_TRUE(read.Parse(document.Format(kRoot), kRoot)) << document.Format(kRoot);
    i = 0;
    for (const std::string& name : names) {
        for (const std::string& text : texts) {
            const kzreg::RegValue* value = read.FindValue("Key]\\[Sub", name + std::to_string(i++));
            ASSERT_NE(value, nullptr) << name;
            EXPECT_EQ(value->type, kzreg::TypeSz);
            EXPECT_EQ(value->data, Bytes(text, true)) << name;
        }
    }
    ASSERT_NE(read.FindValue("Key]\\[Sub", ""), nullptr);
    EXPECT_NE(document.Format(kRoot).find("\n@=\"default\"\n"), std::string::npos);
}

TEST(KzRegDocument, LongBinaryWrapsAndOtherTypesSurvive)
{
    std::vector<unsigned char> blob(1000);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<unsigned char>(i * 7);
    KzRegDocument document;
    document.SetValue("K", "blob", kzreg::TypeBinary, blob);
    document.SetValue("K", "empty", kzreg::TypeBinary, {});
    document.SetValue("K", "expand", 2, Bytes("%HOME%", true));
    const std::string text = document.Format(kRoot);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u);

    KzRegDocument read;
    ASSERT_TRUE(read.Parse(text, kRoot));
    EXPECT_EQ(read.FindValue("K", "blob")->data, blob);
    EXPECT_TRUE(read.FindValue("K", "empty")->data.empty());
    EXPECT_EQ(read.FindValue("K", "expand")->type, 2u);
    EXPECT_EQ(read.Format(kRoot), text);
}

TEST(KzRegDocument, DamagedLinesAreDroppedAndTheRestKept)
{
    const std::string text = "REGEDIT4\r\n"
                             "; a comment\r\n"
                             "\"orphan\"=dword:00000001\n"
                             "[HKEY_CURRENT_USER\\Good]\n"
                             "\"a\"=dword:00000001\n"
                             "garbage line\n"
                             "\"bad dword\"=dword:xyz\n"
                             "\"long dword\"=dword:123456789\n"
                             "\"open\"=\"no end\n"
                             "\"trailing\"=\"x\" junk\n"
                             "\"badhex\"=hex:1,zz\n"
                             "\"b\"=\"kept\"\n"
                             "\"short sz\"=hex(1):41\n"
                             "[HKEY_LOCAL_MACHINE\\Elsewhere]\n"
                             "\"c\"=dword:00000003\n"
                             "[HKEY_CURRENT_USER\\Empty\\\\Name]\n"
                             "\"d\"=dword:00000004\n"
                             "[HKEY_CURRENT_USER\\Good\\Sub]\n"
                             "\"e\"=hex:01,\\\n"
                             "  02\n"
                             "\"cut\"=hex:01,\\\n"
                             "[HKEY_CURRENT_USER\\After]\n"
                             "\"f\"=dword:00000006\n";
    KzRegDocument document;
    EXPECT_FALSE(document.Parse(text, kRoot));
    EXPECT_NE(document.FindValue("Good", "a"), nullptr);
    EXPECT_NE(document.FindValue("Good", "b"), nullptr);
    EXPECT_EQ(document.FindValue("Good", "short sz")->data, Bytes("A", true));
    EXPECT_EQ(document.FindValue("Good\\Sub", "e")->data, (std::vector<unsigned char>{1, 2}));
    for (const char* name : {"orphan", "bad dword", "long dword", "open", "trailing", "badhex"})
        EXPECT_EQ(document.FindValue("Good", name), nullptr) << name;
    EXPECT_EQ(document.FindKey("Elsewhere"), nullptr);
    EXPECT_EQ(document.FindValue("Good\\Sub", "cut"), nullptr);
    EXPECT_NE(document.FindValue("After", "f"), nullptr);
    EXPECT_EQ(document.SubKeys("").size(), 2u);

    KzRegDocument noSignature;
    EXPECT_FALSE(noSignature.Parse("[HKEY_CURRENT_USER\\K]\n\"a\"=dword:00000001\n", kRoot));
    EXPECT_NE(noSignature.FindValue("K", "a"), nullptr);
    EXPECT_TRUE(noSignature.Parse("", kRoot));
}

TEST(KzRegDocument, HostileTextNeverBreaksTheRoundTrip)
{
    KzRegDocument document;
    document.SetValue("A\\B", "s", kzreg::TypeSz, Bytes("text \"with\" \\ escapes", true));
    document.SetValue("A\\B", "n", kzreg::TypeDword, {1, 2, 3, 4});
    document.SetValue("A\\C", "h", kzreg::TypeBinary, std::vector<unsigned char>(100, 0xab));
    const std::string good = document.Format(kRoot);

    std::vector<std::string> inputs;
    for (size_t n = 0; n < good.size(); ++n) inputs.push_back(good.substr(0, n));
    std::mt19937 random(5);
    for (int i = 0; i < 2000; ++i) {
        std::string mutated = good;
        for (int k = 0; k < 4; ++k) mutated[random() % mutated.size()] = static_cast<char>(random());
        inputs.push_back(mutated);
    }
    for (const std::string& input : inputs) {
        // Whatever was read is written so that it reads back whole and unchanged.
        const std::string once = Reformat(input);
        KzRegDocument again;
        ASSERT_TRUE(again.Parse(once, kRoot)) << input;
        ASSERT_EQ(again.Format(kRoot), once) << input;
    }
}

TEST(KzRegDocument, DeletesKeysWithSubkeysAndValues)
{
    KzRegDocument document;
    document.SetValue("A\\B\\C", "x", kzreg::TypeSz, Bytes("1", true));
    document.SetValue("A\\BB", "y", kzreg::TypeSz, Bytes("2", true));
    document.SetValue("A\\B", "z", kzreg::TypeSz, Bytes("3", true));
    EXPECT_TRUE(document.DeleteValue("a\\b", "Z"));
    EXPECT_FALSE(document.DeleteValue("A\\B", "z"));
    EXPECT_TRUE(document.DeleteKey("A\\B"));
    EXPECT_EQ(document.FindKey("A\\B\\C"), nullptr);
    EXPECT_NE(document.FindValue("A\\BB", "y"), nullptr);
    EXPECT_FALSE(document.DeleteKey("A\\B"));
    ASSERT_EQ(document.SubKeys("A").size(), 1u);
    EXPECT_EQ(document.SubKeys("A")[0]->path, "A\\BB");
}

TEST(KzRegDocument, KeyAndValueNameRules)
{
    EXPECT_TRUE(KzRegDocument::IsValidKeyPath("Software\\Marvensk\\Vistrel"));
    EXPECT_TRUE(KzRegDocument::IsValidKeyPath(std::string(255, 'k')));
    for (const std::string& bad : std::vector<std::string>{"", "\\A", "A\\", "A\\\\B", "A\nB", std::string(256, 'k')})
        EXPECT_FALSE(KzRegDocument::IsValidKeyPath(bad)) << bad;
    EXPECT_TRUE(KzRegDocument::IsValidValueName("any \"name\" \\ [x]"));
    EXPECT_FALSE(KzRegDocument::IsValidValueName("line\nbreak"));
}
