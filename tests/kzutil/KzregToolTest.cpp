// The kzreg tool run as a separate program against the test's store.
#include "Kzutil.h"
#include "RegistryTestSupport.h"

#include <string>
#include <utility>
#include <vector>

using Result = KzregResult;

class Kzreg : public RegistryTest {
protected:
    Result Run(const std::vector<std::string>& args) { return RunKzreg(args, store); }
};

TEST_F(Kzreg, AddAndQueryRoundTripAllThreeTypes)
{
    const std::string key = "HKEY_CURRENT_USER\\Software\\Marvensk\\Vistrel";
    EXPECT_EQ(Run({"add", key, "InstallPath", "sz", "/opt/my \"v\" \\dir/"}).code, 0);
    EXPECT_EQ(Run({"add", key, "Width", "dword", "-4"}).code, 0);
    EXPECT_EQ(Run({"add", key, "Height", "dword", "0xffffffff"}).code, 0);
    EXPECT_EQ(Run({"add", key, "Blob", "binary", "00,ff,7A"}).code, 0);

    EXPECT_EQ(Run({"query", key, "InstallPath"}).out, "/opt/my \"v\" \\dir/\n");
    EXPECT_EQ(Run({"query", key, "width"}).out, "-4\n");
    EXPECT_EQ(Run({"query", key, "Height"}).out, "-1\n");
    EXPECT_EQ(Run({"query", "HKCU\\Software\\Marvensk\\Vistrel", "Blob"}).out, "00ff7a\n");
    EXPECT_EQ(Run({"query", key}).out, "[" + key + "]\n"
                                       "InstallPath\tsz\t/opt/my \"v\" \\dir/\n"
                                       "Width\tdword\t-4\n"
                                       "Height\tdword\t-1\n"
                                       "Blob\tbinary\t00ff7a\n");
    EXPECT_EQ(Run({"query", "HKCU\\Software"}).out,
              "[HKEY_CURRENT_USER\\Software]\n[HKEY_CURRENT_USER\\Software\\Marvensk]\n");

    // What the tool wrote is what the library reads.
    CKzAppSettings settings("Vistrel");
    char text[64] = "";
    int n = 0;
    EXPECT_TRUE(settings.GetValueString("InstallPath", text));
    EXPECT_STREQ(text, "/opt/my \"v\" \\dir/");
    EXPECT_TRUE(settings.GetValueInt("Width", n));
    EXPECT_EQ(n, -4);
    unsigned char blob[3] = {};
    EXPECT_TRUE(CKzRegistry::GetValueBinary("HKEY_CURRENT_USER", "Software\\Marvensk\\Vistrel", "Blob", blob, 3));
    EXPECT_EQ(blob[2], 0x7a);
}

TEST_F(Kzreg, DeleteRemovesValuesAndWholeKeys)
{
    ASSERT_EQ(Run({"add", "HKLM\\A\\B", "x", "dword", "1"}).code, 0);
    ASSERT_EQ(Run({"add", "HKLM\\A\\B\\C", "y", "dword", "2"}).code, 0);
    EXPECT_EQ(Run({"delete", "HKLM\\A\\B", "x"}).code, 0);
    Result again = Run({"delete", "HKLM\\A\\B", "x"});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, "kzreg: no value \"x\" in HKEY_LOCAL_MACHINE\\A\\B\n");
    EXPECT_EQ(Run({"delete", "HKLM\\A\\B"}).code, 0);
    EXPECT_EQ(Run({"query", "HKLM\\A\\B\\C"}).code, 1);
    EXPECT_EQ(Run({"query", "HKLM\\A"}).out, "[HKEY_LOCAL_MACHINE\\A]\n");
    EXPECT_EQ(Run({"delete", "HKLM\\A\\B"}).err, "kzreg: no key HKEY_LOCAL_MACHINE\\A\\B\n");
}

TEST_F(Kzreg, WrongUsageExplainsItself)
{
    // The arguments, and the option that is named as unknown.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"query"}, ""},
        {{"list", "HKCU\\K"}, ""},
        {{"add", "HKCU\\K", "n", "dword"}, ""},
        {{"query", "HKCU\\K", "n", "extra"}, ""},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--help", "extra"}, ""},
        {{"query", "--origin"}, ""},
        {{"query", "--recursive", "HKCU\\K"}, "--recursive"},
        {{"delete", "--origin", "HKCU\\K"}, "--origin"},
    };
    for (const auto& [args, option] : cases) {
        const Result result = Run(args);
        EXPECT_EQ(result.code, 2);
        EXPECT_NE(result.err.find("usage: kzreg query"), std::string::npos);
        EXPECT_EQ(result.err.starts_with("kzreg: unknown option '" + option + "'\n"), !option.empty()) << result.err;
    }
    struct Bad {
        std::vector<std::string> args;
        std::string message;
    };
    const Bad bad[] = {
        {{"query", "HKEY_NOWHERE\\K"}, "unknown root \"HKEY_NOWHERE\""},
        {{"add", "HKCU\\A\\\\B", "n", "dword", "1"}, "invalid key"},
        {{"add", "HKCU", "n", "dword", "1"}, "needs a key below the root"},
        {{"add", "HKCU\\K", "n", "dword", "4294967296"}, "not a 32-bit number"},
        {{"add", "HKCU\\K", "n", "dword", "12abc"}, "not a 32-bit number"},
        {{"add", "HKCU\\K", "n", "binary", "abc"}, "not hex bytes"},
        {{"add", "HKCU\\K", "n", "qword", "1"}, "unknown type \"qword\""},
        {{"add", "HKCU\\K", "", "sz", "x"}, "invalid value name"},
        {{"delete", "HKCU"}, "cannot be deleted"},
    };
    for (const Bad& b : bad) {
        const Result result = Run(b.args);
        EXPECT_EQ(result.code, 2) << b.message;
        EXPECT_NE(result.err.find(b.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(StoreFile()));
}

TEST_F(Kzreg, HelpAndVersionGoToStandardOutput)
{
    const Result help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: kzreg query [--origin]", 0), 0u) << help.out;
    const Result version = Run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "kzreg (Vistrel) " VISTREL_VERSION "\n");
}

TEST_F(Kzreg, UnwritableStoreIsExitCode3)
{
    std::filesystem::create_directories(StoreFile());
    const Result result = Run({"add", "HKCU\\K", "n", "sz", "x"});
    EXPECT_EQ(result.code, 3);
    EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
    EXPECT_EQ(Run({"query", "HKCU\\K"}).code, 3);
}
