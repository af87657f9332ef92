#include "SettingsKeys.h"
#include "TestSupport.h"
#include "ViewerSettings.h"
#include "Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

TEST(SettingsKeys, OneEntryPerKeyFoundByName)
{
    std::set<std::string> names;
    for (const settings::Key& key : settings::All()) {
        EXPECT_TRUE(names.insert(key.name).second) << key.name;
        EXPECT_EQ(settings::Find(key.name), &settings::Get(key.id));
    }
    EXPECT_EQ(names.size(), std::size_t(settings::kCount));
    EXPECT_EQ(settings::Find("ThumbWidth")->defaultValue, 120);
    EXPECT_EQ(settings::Find("ThumbWidth")->minimum, 1);
    EXPECT_EQ(settings::Find("ShowMenuAndStatusToolbar")->defaultValue, 1);
    EXPECT_EQ(settings::Find("WindowPosX")->defaultValue, platform::kDefaultPosition);
    EXPECT_EQ(settings::Find("InstallPath")->kind, settings::Kind::String);
    EXPECT_EQ(settings::Find("thumbwidth"), nullptr);
    EXPECT_EQ(settings::Find(nullptr), nullptr);
}

namespace {

const char* const kUser = "HKEY_CURRENT_USER";
const char* const kAppKey = "Software\\Marvensk\\Vistrel";

// A private settings store: KZUTIL_REGISTRY_DIR points into a fresh folder.
class ViewerSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1); }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }
    testsupport::TempDir store;
};

} // namespace

TEST_F(ViewerSettingsTest, NotInstalledGivesDefaults)
{
    ViewerSettings settingsStore;
    EXPECT_FALSE(settingsStore.IsInstalled());
    EXPECT_EQ(settingsStore.Get(settings::ThumbColumns), 6);
    EXPECT_EQ(settingsStore.Get(settings::ShowMenuAndStatusToolbar), 1);
    EXPECT_FALSE(settingsStore.Write(settings::DrawBorder, 1));
    char path[260] = "kept";
    EXPECT_FALSE(settingsStore.Read(settings::InstallPath, path, sizeof path));
    EXPECT_STREQ(path, "kept");
}

TEST_F(ViewerSettingsTest, ReadsWritesAndIgnoresWhatDoesNotFit)
{
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", "/opt/vistrel/lib/vistrel"));
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, kAppKey, "ThumbWidth", 0));
    ASSERT_TRUE(CKzRegistry::SetValueInt(kUser, kAppKey, "ThumbHeight", 80));
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "DrawBorder", "1"));
    ViewerSettings settingsStore;
    ASSERT_TRUE(settingsStore.IsInstalled());
    EXPECT_EQ(settingsStore.Get(settings::ThumbWidth), 120);
    EXPECT_EQ(settingsStore.Get(settings::ThumbHeight), 80);
    EXPECT_EQ(settingsStore.Get(settings::DrawBorder), 0);
    EXPECT_TRUE(settingsStore.Write(settings::DrawBorder, 1));
    EXPECT_EQ(settingsStore.Get(settings::DrawBorder), 1);
    EXPECT_EQ(settingsStore.Get(settings::WindowPosX), platform::kDefaultPosition);

    char path[260] = {};
    ASSERT_TRUE(settingsStore.Read(settings::InstallPath, path, sizeof path));
    EXPECT_STREQ(path, "/opt/vistrel/lib/vistrel");

    // A value the user made longer than a path buffer is treated as missing, never cut or copied past it.
    const std::string longPath = "/" + std::string(60000, 'p');
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", longPath.c_str()));
    std::strcpy(path, "kept");
    EXPECT_FALSE(settingsStore.Read(settings::InstallPath, path, sizeof path));
    EXPECT_STREQ(path, "kept");
    const std::string fits(259, 'f');
    ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", fits.c_str()));
    ASSERT_TRUE(settingsStore.Read(settings::InstallPath, path, sizeof path));
    EXPECT_EQ(std::string(path), fits);
    EXPECT_FALSE(settingsStore.Read(settings::InstallPath, path, 259));
}
