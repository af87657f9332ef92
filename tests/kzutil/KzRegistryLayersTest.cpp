// The current user's store over read-only default layers in $XDG_CONFIG_DIRS.
#include "Kzutil.h"
#include "KzRegistryStore.h"
#include "RegistryTestSupport.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kAppKey = "Software\\Marvensk\\Vistrel";

std::string RegFile(const std::string& values)
{
    return "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Marvensk\\Vistrel]\n" + values;
}

class SavedVariable {
public:
    explicit SavedVariable(const char* name) : m_name(name)
    {
        const char* value = std::getenv(name);
        m_set = value != nullptr;
        if (value) m_value = value;
    }
    ~SavedVariable()
    {
        if (m_set)
            setenv(m_name, m_value.c_str(), 1);
        else
            unsetenv(m_name);
    }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    const char* m_name;
    bool m_set = false;
    std::string m_value;
};

} // namespace

// The user's store in home/, two default layers: site (first, more important) and vendor.
class KzRegistryLayers : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("KZUTIL_REGISTRY_DIR");
        setenv("XDG_CONFIG_HOME", temp.file("home").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (temp.file("site") + ":relative/ignored::" + temp.file("vendor") + "/").c_str(), 1);
        fs::create_directories(temp.path() / "site" / "kzutil-registry");
        fs::create_directories(temp.path() / "vendor" / "kzutil-registry");
    }

    fs::path Layer(const char* name) const { return temp.path() / name / "kzutil-registry" / "HKEY_CURRENT_USER.reg"; }
    void WriteLayer(const char* name, const std::string& text) const
    {
        if (std::string(name) == "home") fs::create_directories(Layer(name).parent_path());
        testsupport::WriteFile(Layer(name), text);
    }
    std::string Text(const char* name) const
    {
        const auto bytes = testsupport::ReadFile(Layer(name));
        return {bytes.begin(), bytes.end()};
    }
    static std::string String(const char* name)
    {
        char buffer[256] = "(unset)";
        CKzAppSettings("Vistrel").GetValueString(name, buffer);
        return buffer;
    }
    static int Int(const char* name)
    {
        int value = -1;
        CKzAppSettings("Vistrel").GetValueInt(name, value);
        return value;
    }

    SavedVariable savedStore{"KZUTIL_REGISTRY_DIR"};
    SavedVariable savedHome{"XDG_CONFIG_HOME"};
    SavedVariable savedDirs{"XDG_CONFIG_DIRS"};
    testsupport::TempDir temp;
};

TEST_F(KzRegistryLayers, UserValueWinsThenTheFirstDefaultLayer)
{
    WriteLayer("home", RegFile("\"ThumbWidth\"=dword:000000c8\n"));
    WriteLayer("site", RegFile("\"ThumbWidth\"=dword:00000096\n\"InstallPath\"=\"/site/\"\n"));
    WriteLayer("vendor", RegFile("\"InstallPath\"=\"/vendor/\"\n\"ThumbColumns\"=dword:00000004\n"));

    EXPECT_EQ(Int("ThumbWidth"), 200);
    EXPECT_EQ(String("InstallPath"), "/site/");
    EXPECT_EQ(Int("ThumbColumns"), 4);
    // The exact-type rule holds across layers: the user's dword hides the default's text.
    WriteLayer("home", RegFile("\"InstallPath\"=dword:00000001\n"));
    EXPECT_EQ(String("InstallPath"), "(unset)");
}

TEST_F(KzRegistryLayers, DefaultOnlyValueIsReadableAndNeverCopiedByAWrite)
{
    const std::string site = RegFile("\"InstallPath\"=\"/usr/lib/vistrel/\"\n");
    WriteLayer("site", site);

    EXPECT_TRUE(CKzAppSettings::IsAppInstalled("Vistrel"));
    const CKzAppSettings settings("Vistrel");
    EXPECT_TRUE(settings.IsValuePresent("installpath"));
    EXPECT_EQ(String("InstallPath"), "/usr/lib/vistrel/");
    EXPECT_FALSE(fs::exists(Layer("home")));

    ASSERT_TRUE(settings.SetValueInt("WindowPosX", 12));
    EXPECT_EQ(Text("home").find("InstallPath"), std::string::npos) << Text("home");
    EXPECT_EQ(Int("WindowPosX"), 12);
    EXPECT_EQ(String("InstallPath"), "/usr/lib/vistrel/");
    // Changing the default's value stores the user's own, which then wins.
    ASSERT_TRUE(settings.SetValueString("InstallPath", "/opt/vistrel/"));
    EXPECT_EQ(String("InstallPath"), "/opt/vistrel/");
    EXPECT_EQ(Text("site"), site);
    // Nothing but the default file itself: no lock, no temporary, no copy.
    EXPECT_EQ(std::distance(fs::directory_iterator(Layer("site").parent_path()), fs::directory_iterator()), 1);
}

TEST_F(KzRegistryLayers, DamagedDefaultLayerIsIgnoredAndTheUserStoreKept)
{
    const std::string home = RegFile("\"ThumbWidth\"=dword:000000c8\n");
    const std::string damaged = RegFile("\"InstallPath\"=\"/site/\"\n\"Broken\"=dword:zz\n");
    WriteLayer("home", home);
    WriteLayer("site", damaged);
    WriteLayer("vendor", RegFile("\"InstallPath\"=\"/vendor/\"\n"));

    EXPECT_EQ(String("InstallPath"), "/vendor/");
    EXPECT_EQ(Int("ThumbWidth"), 200);
    ASSERT_TRUE(CKzAppSettings("Vistrel").SetValueInt("ThumbHeight", 90));
    EXPECT_EQ(Int("ThumbWidth"), 200);
    EXPECT_EQ(Int("ThumbHeight"), 90);
    EXPECT_FALSE(fs::exists(Layer("home").string() + ".damaged"));
    EXPECT_EQ(Text("site"), damaged);

    // A default layer that cannot be read at all is skipped the same way.
    fs::remove(Layer("site"));
    fs::create_directory(Layer("site"));
    EXPECT_EQ(String("InstallPath"), "/vendor/");
}

TEST_F(KzRegistryLayers, DefaultFoldersFollowTheEnvironment)
{
    using kzreg::KzRegistryStore;
    struct Case {
        const char* dirs; // null: unset
        std::vector<std::string> folders;
    };
    const Case cases[] = {
        {nullptr, {"/etc/xdg/kzutil-registry"}},
        {"", {"/etc/xdg/kzutil-registry"}},
        {"/a//:b:/c", {"/a/kzutil-registry", "/c/kzutil-registry"}},
        {":", {}},
    };
    for (const Case& c : cases) {
        if (c.dirs)
            setenv("XDG_CONFIG_DIRS", c.dirs, 1);
        else
            unsetenv("XDG_CONFIG_DIRS");
        EXPECT_EQ(KzRegistryStore::DefaultFolders(), c.folders) << (c.dirs ? c.dirs : "(unset)");
    }
    // A store of its own (tests, development) has no layers beneath it.
    setenv("KZUTIL_REGISTRY_DIR", temp.file("own").c_str(), 1);
    EXPECT_TRUE(KzRegistryStore::DefaultFolders().empty());
}

TEST_F(KzRegistryLayers, KzregShowsWhereAValueComesFromAndLeavesDefaultsAlone)
{
    WriteLayer("home", RegFile("\"ThumbWidth\"=dword:000000c8\n"));
    WriteLayer("site", RegFile("\"InstallPath\"=\"/site/\"\n"));
    const std::string key = std::string("HKCU\\") + kAppKey;

    EXPECT_EQ(RunKzreg({"query", key, "InstallPath"}, temp).out, "/site/\n");
    EXPECT_EQ(RunKzreg({"query", "--origin", key, "InstallPath"}, temp).out, "/site/\t" + Layer("site").string() + "\n");
    EXPECT_EQ(RunKzreg({"query", "--origin", key}, temp).out,
              "[HKEY_CURRENT_USER\\Software\\Marvensk\\Vistrel]\n"
              "ThumbWidth\tdword\t200\t" + Layer("home").string() + "\n"
              "InstallPath\tsz\t/site/\t" + Layer("site").string() + "\n");

    const KzregResult deleted = RunKzreg({"delete", key, "InstallPath"}, temp);
    EXPECT_EQ(deleted.code, 1);
    EXPECT_NE(deleted.err.find("system-wide default from " + Layer("site").string()), std::string::npos) << deleted.err;
    EXPECT_EQ(String("InstallPath"), "/site/");
}
