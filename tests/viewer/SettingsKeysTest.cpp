#include "SettingsKeys.h"
#include "Window.h"

#include <gtest/gtest.h>

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
