#include "BrowserFixture.h"
#include "Kzutil.h"
#include "OptionsStore.h"
#include "ThumbnailPageBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr char kUser[] = "HKEY_CURRENT_USER";
constexpr char kAppKey[] = "Software\\Marvensk\\Vistrel";

class OptionsStoreTest : public BrowserTest {
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1);
    }
    void TearDown() override { unsetenv("KZUTIL_REGISTRY_DIR"); }

    static void Install() { ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", "/opt/v/")); }
    static int Stored(const char* name)
    {
        int value = -99;
        CKzAppSettings(settings::kAppName).GetValueInt(name, value);
        return value;
    }

    testsupport::TempDir store;
    ThumbnailPageBuilder builder{desktop};
};

} // namespace

TEST_F(OptionsStoreTest, WithoutAStoreNothingIsReadOrWritten)
{
    EXPECT_FALSE(options::ReadStoredFlags().storeExists);
    const options::Form form = options::Initial(options::ReadStoredFlags(), {120, 120, 6});
    const options::Outcome outcome = options::Accept(form, {120, 120, 6}, false, {});
    EXPECT_TRUE(options::Store(outcome));
    EXPECT_FALSE(CKzAppSettings::IsAppInstalled(settings::kAppName));
}

TEST_F(OptionsStoreTest, OkStoresTheBoxesAndTheDialogShowsThemNextTime)
{
    Install();
    options::StoredFlags flags = options::ReadStoredFlags();
    EXPECT_TRUE(flags.storeExists);
    EXPECT_FALSE(flags.drawBorder.has_value());

    options::Form form = options::Initial(flags, {120, 120, 6});
    form.showSplash = false;
    form.sortOnDate = true;
    ASSERT_TRUE(options::Store(options::Accept(form, {120, 120, 6}, true, {})));
    EXPECT_EQ(Stored("HideSplashScreen"), 1);
    EXPECT_EQ(Stored("DrawBorder"), 0);
    EXPECT_EQ(Stored("SortImagesOnDate"), 1);

    flags = options::ReadStoredFlags();
    form = options::Initial(flags, {120, 120, 6});
    EXPECT_FALSE(form.showSplash);
    EXPECT_FALSE(form.drawBorder);
    EXPECT_TRUE(form.sortOnDate);
}

TEST_F(OptionsStoreTest, BorderAppliesAtOnceAndUnchangedFlagsDoNotRefresh)
{
    Install();
    WriteImage("b.bmp", 600, 500);
    WriteImage("a.bmp", 600, 500);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    const int width = browser.GetViewWidth();
    const int height = browser.GetViewHeight();

    const options::Thumbnails shown = options::ThumbnailsOf(builder);
    options::Form form = options::Initial(options::ReadStoredFlags(), shown);
    options::Outcome outcome = options::Accept(form, shown, true, {});
    options::Apply(outcome, builder, browser);
    EXPECT_EQ(browser.GetViewWidth(), width);

    form.drawBorder = true;
    outcome = options::Accept(form, shown, true, options::FlagsOf(browser));
    ASSERT_TRUE(options::Store(outcome));
    options::Apply(outcome, builder, browser);
    EXPECT_TRUE(browser.GetDrawBorder());
    EXPECT_EQ(browser.GetViewWidth(), width + 18);
    EXPECT_EQ(browser.GetViewHeight(), height + 18);
    EXPECT_EQ(ShownName(), "a.bmp");
    EXPECT_EQ(Stored("DrawBorder"), 1);
}

TEST_F(OptionsStoreTest, ThumbnailValuesGoToTheBuilderUnlessOneIsBelowOne)
{
    Install();
    const options::Thumbnails shown = options::ThumbnailsOf(builder);
    EXPECT_EQ(shown, (options::Thumbnails{120, 120, 6}));
    options::Form form = options::Initial(options::ReadStoredFlags(), shown);
    form.width = "200";
    form.columns = "0";
    options::Apply(options::Accept(form, shown, true, {}), builder, browser);
    EXPECT_EQ(options::ThumbnailsOf(builder), shown);
    EXPECT_EQ(Stored("ThumbWidth"), -99);

    form.columns = "8";
    options::Apply(options::Accept(form, shown, true, {}), builder, browser);
    EXPECT_EQ(options::ThumbnailsOf(builder), (options::Thumbnails{200, 120, 8}));
    EXPECT_EQ(Stored("ThumbWidth"), 200);
    EXPECT_EQ(Stored("ThumbColumns"), 8);
}
