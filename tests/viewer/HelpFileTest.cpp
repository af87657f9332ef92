#include "SettingsKeys.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

namespace {

std::string HelpText()
{
    const auto bytes = testsupport::ReadFile(std::string(VISTREL_SOURCE_DIR) + "/resources/vistrel-help.html");
    return {bytes.begin(), bytes.end()};
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern)
{
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

} // namespace

TEST(HelpFile, EveryLinkLeadsToASectionOfThePage)
{
    const std::string text = HelpText();
    ASSERT_FALSE(text.empty());
    const std::set<std::string> ids = Matches(text, std::regex(R"(id="([^"]+)\")"));
    const std::set<std::string> links = Matches(text, std::regex(R"(href="([^"]*)\")"));
    EXPECT_GE(links.size(), 10u);
    for (const std::string& link : links) {
        ASSERT_EQ(link.rfind('#', 0), 0u) << "the help page links outside itself: " << link;
        EXPECT_TRUE(ids.count(link.substr(1))) << link;
    }
}

TEST(HelpFile, DescribesEverySettingAndPlaceholder)
{
    const std::string text = HelpText();
    for (const settings::Key& key : settings::All())
        EXPECT_NE(text.find(key.name), std::string::npos) << key.name;
    for (const char* placeholder :
         {"[THUMBNAILS]", "[THUMBNAIL_COUNT]", "[THUMBNAIL_DIRECTORY]", "[THUMBNAIL_DIRECTORY_NAME]",
          "[THUMBNAIL_DIRECTORY_NAME_WITHOUT_UNDERSCORES]", "[CREATION_YEAR]", "[CREATION_MONTH]",
          "[CREATION_DAY]", "[CREATION_HOUR]", "[CREATION_MINUTE]", "[CREATION_SECOND]"})
        EXPECT_NE(text.find(placeholder), std::string::npos) << placeholder;
}
