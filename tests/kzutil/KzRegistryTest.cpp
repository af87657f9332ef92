#include "Kzutil.h"
#include "KzRegDocument.h"
#include "RegistryTestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kUser = "HKEY_CURRENT_USER";
const char* const kAppKey = "Software\\Marvensk\\Vistrel";

} // namespace

using KzRegistry = RegistryTest;
using KzAppSettings = RegistryTest;

TEST_F(KzRegistry, ValuesRoundTripAndCreateMissingKeys)
{
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "A\\B\\C", "Int", -5));
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, "A\\B\\C", "Text", "C:\\x \"y\"\nz"));
    const unsigned char blob[] = {0, 1, 0xff, '"', '\\'};
    ASSERT_TRUE(CKzRegistry::SetValueBinary(kUser, "A\\B\\C", "Blob", blob, sizeof blob));

    int n = 0;
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "A\\B\\C", "Int", &n));
    EXPECT_EQ(n, -5);
    char text[64];
    EXPECT_TRUE(CKzRegistry::GetValueString(kUser, "A\\B\\C", "Text", text));
    EXPECT_STREQ(text, "C:\\x \"y\"\nz");
    unsigned char read[sizeof blob] = {};
    EXPECT_TRUE(CKzRegistry::GetValueBinary(kUser, "A\\B\\C", "Blob", read, sizeof read));
    EXPECT_EQ(std::vector<unsigned char>(read, read + sizeof read), std::vector<unsigned char>(blob, blob + sizeof blob));

    // Writing a value created the parent keys, and the names compare ignoring case.
    kzreg::KzRegDocument document;
    ASSERT_TRUE(document.Parse(StoreText(), kUser));
    EXPECT_NE(document.FindKey("A"), nullptr);
    EXPECT_NE(document.FindKey("A\\B"), nullptr);
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "a\\b\\c", "INT", &n));

    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "A\\B\\C", "int", 7));
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "A\\B\\C", "Int", &n));
    EXPECT_EQ(n, 7);
}

TEST_F(KzRegistry, ReadsNeedTheExactTypeAndLeaveTheTargetAlone)
{
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, "K", "s", "12"));
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, "K", "i", 12));
    const unsigned char four[] = {1, 2, 3, 4};
    ASSERT_TRUE(CKzRegistry::SetValueBinary(kUser, "K", "b", four, 4));

    int n = 99;
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "K", "s", &n));
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "K", "b", &n));
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "K", "missing", &n));
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "Missing", "i", &n));
    EXPECT_EQ(n, 99);
    char text[16] = "keep";
    EXPECT_FALSE(CKzRegistry::GetValueString(kUser, "K", "i", text));
    EXPECT_FALSE(CKzRegistry::GetValueString(kUser, "K", "b", text));
    EXPECT_STREQ(text, "keep");
    unsigned char bytes[8] = {9, 9, 9, 9};
    EXPECT_FALSE(CKzRegistry::GetValueBinary(kUser, "K", "i", bytes, sizeof bytes));
    EXPECT_FALSE(CKzRegistry::GetValueBinary(kUser, "K", "b", bytes, 3)); // does not fit
    EXPECT_EQ(bytes[0], 9);
    EXPECT_TRUE(CKzRegistry::GetValueBinary(kUser, "K", "b", bytes, 4));
    EXPECT_EQ(bytes[3], 4);
}

TEST_F(KzRegistry, EmptyOrInvalidArgumentsFailWithoutWriting)
{
    int n = 0;
    char text[8];
    for (const char* root : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_FALSE(CKzRegistry::SetValueInt(root, "K", "n", 1));
        EXPECT_FALSE(CKzRegistry::GetValueInt(root, "K", "n", &n));
    }
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "", "n", 1));
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "K", "", 1));
    EXPECT_FALSE(CKzRegistry::SetValueString(kUser, "K", "n", nullptr));
    EXPECT_FALSE(CKzRegistry::SetValueBinary(kUser, "K", "n", nullptr, 4));
    EXPECT_FALSE(CKzRegistry::SetValueBinary(kUser, "K", "n", reinterpret_cast<const unsigned char*>("x"), -1));
    // Key paths with empty names, and names that could not be written as one line.
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "\\K", "n", 1));
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "K\\", "n", 1));
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "A\\\\B", "n", 1));
    EXPECT_FALSE(CKzRegistry::SetValueInt(kUser, "K", "two\nlines", 1));
    EXPECT_FALSE(CKzRegistry::GetValueInt(kUser, "K", "n", nullptr));
    EXPECT_FALSE(CKzRegistry::GetValueString(kUser, "K", "n", text));
    EXPECT_FALSE(std::filesystem::exists(StoreFile()));
}

TEST_F(KzRegistry, RootNamesCompareExactly)
{
    ASSERT_TRUE(CKzRegistry::SetValueInt("HKEY_LOCAL_MACHINE", "K", "n", 1));
    ASSERT_TRUE(CKzRegistry::SetValueInt("hkey_local_machine", "K", "n", 2));
    ASSERT_TRUE(CKzRegistry::SetValueInt("HKEY_CLASSES_ROOT", "K", "n", 3));
    ASSERT_TRUE(CKzRegistry::SetValueInt("Anything", "K", "m", 4));
    int n = 0;
    EXPECT_TRUE(CKzRegistry::GetValueInt("HKEY_LOCAL_MACHINE", "K", "n", &n));
    EXPECT_EQ(n, 1);
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "K", "n", &n));
    EXPECT_EQ(n, 2);
    EXPECT_TRUE(CKzRegistry::GetValueInt("HKEY_CLASSES_ROOT", "K", "n", &n));
    EXPECT_EQ(n, 3);
    EXPECT_TRUE(CKzRegistry::GetValueInt(kUser, "K", "m", &n));
    EXPECT_FALSE(CKzRegistry::GetValueInt("HKEY_LOCAL_MACHINE", "K", "m", &n));
    EXPECT_NE(StoreText("HKEY_LOCAL_MACHINE").find("[HKEY_LOCAL_MACHINE\\K]"), std::string::npos);
}

TEST_F(KzRegistry, StringsOfAtMost65535StoredBytesAreReadable)
{
    std::vector<char> buffer(70001, 'x');
    for (const size_t length : {size_t(65534), size_t(65535), size_t(70000)}) {
        const std::string text(length, 'a');
        ASSERT_TRUE(CKzRegistry::SetValueString(kUser, "K", "s", text.c_str()));
        buffer[0] = 'x';
        const bool read = CKzRegistry::GetValueString(kUser, "K", "s", buffer.data());
        EXPECT_EQ(read, length == 65534) << length;
        if (read)
            EXPECT_EQ(std::string(buffer.data()), text);
        else
            EXPECT_EQ(buffer[0], 'x');
    }
}

TEST_F(KzAppSettings, MissingApplicationKeyRefusesEverythingAndWritesNothing)
{
    EXPECT_FALSE(CKzAppSettings::IsAppInstalled("Vistrel"));
    EXPECT_FALSE(CKzAppSettings::IsAppInstalled(""));
    EXPECT_FALSE(CKzAppSettings::IsAppInstalled(nullptr));
    CKzAppSettings settings("Vistrel");
    int n = 5;
    char text[8] = "def";
    EXPECT_FALSE(settings.SetValueInt("Width", 1));
    EXPECT_FALSE(settings.SetValueString("Path", "x"));
    EXPECT_FALSE(settings.GetValueInt("Width", n));
    EXPECT_FALSE(settings.GetValueString("Path", text));
    EXPECT_FALSE(settings.IsValuePresent("Width"));
    EXPECT_EQ(n, 5);
    EXPECT_STREQ(text, "def");
    EXPECT_FALSE(std::filesystem::exists(StoreFile()));

    // Installing later does not revive an object built before.
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", "/opt/v/"));
    EXPECT_FALSE(settings.SetValueInt("Width", 1));
    EXPECT_TRUE(CKzAppSettings("Vistrel").SetValueInt("Width", 1));
}

TEST_F(KzAppSettings, InstalledApplicationReadsAndWritesItsValues)
{
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", "/opt/v/"));
    const unsigned char blob[] = {1};
    ASSERT_TRUE(CKzRegistry::SetValueBinary(kUser, kAppKey, "Blob", blob, 1));
    EXPECT_TRUE(CKzAppSettings::IsAppInstalled("Vistrel"));
    EXPECT_TRUE(CKzAppSettings::IsAppInstalled("vistrel"));
    EXPECT_FALSE(CKzAppSettings::IsAppInstalled("Vistrel\\"));

    CKzAppSettings settings("Vistrel");
    EXPECT_TRUE(settings.IsValuePresent("Blob"));
    EXPECT_TRUE(settings.IsValuePresent("InstallPath"));
    EXPECT_FALSE(settings.IsValuePresent("Width"));
    EXPECT_FALSE(settings.IsValuePresent(""));

    ASSERT_TRUE(settings.SetValueInt("Width", 640));
    ASSERT_TRUE(settings.SetValueString("LastDir", "/home/u/pics/"));
    int n = 0;
    char text[64] = "";
    CKzAppSettings copy(settings);
    EXPECT_TRUE(copy.GetValueInt("Width", n));
    EXPECT_EQ(n, 640);
    EXPECT_TRUE(copy.GetValueString("LastDir", text));
    EXPECT_STREQ(text, "/home/u/pics/");
    CKzAppSettings assigned("Other");
    assigned = settings;
    EXPECT_TRUE(assigned.GetValueString("InstallPath", text));
    EXPECT_STREQ(text, "/opt/v/");
    n = 3;
    EXPECT_FALSE(settings.GetValueInt("LastDir", n));
    EXPECT_FALSE(settings.GetValueInt("Blob", n));
    EXPECT_EQ(n, 3);
}
