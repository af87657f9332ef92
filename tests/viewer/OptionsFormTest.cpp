#include "OptionsForm.h"

#include <gtest/gtest.h>

#include <climits>

using options::Accept;
using options::Form;
using options::Initial;
using options::Step;
using options::StoredFlags;
using options::Thumbnails;

namespace {

const Thumbnails kBuilder{120, 90, 6};

std::vector<std::pair<settings::Id, int>> Writes(int hide, int border, int sort, int orient = 1)
{
    return {{settings::HideSplashScreen, hide},
            {settings::DrawBorder, border},
            {settings::SortImagesOnDate, sort},
            {settings::AutoOrient, orient}};
}

constexpr options::LiveFlags kLive{false, false, true};

} // namespace

TEST(OptionsForm, BoxesFollowTheStoreOnlyWhenItExists)
{
    Form form = Initial({false, 1, 1, 1, 0}, kBuilder);
    EXPECT_TRUE(form.showSplash);
    EXPECT_FALSE(form.drawBorder);
    EXPECT_FALSE(form.sortOnDate);
    EXPECT_TRUE(form.autoOrient);

    form = Initial({true, 1, 1, 1, 0}, kBuilder);
    EXPECT_FALSE(form.showSplash);
    EXPECT_TRUE(form.drawBorder);
    EXPECT_TRUE(form.sortOnDate);
    EXPECT_FALSE(form.autoOrient);

    // Only exactly 1 counts, and for the orientation anything but 0; missing values keep the defaults.
    form = Initial({true, 2, 2, 0, 2}, kBuilder);
    EXPECT_TRUE(form.showSplash);
    EXPECT_FALSE(form.drawBorder);
    EXPECT_FALSE(form.sortOnDate);
    EXPECT_TRUE(form.autoOrient);
    form = Initial({true, std::nullopt, std::nullopt, std::nullopt, std::nullopt}, kBuilder);
    EXPECT_TRUE(form.showSplash);
    EXPECT_FALSE(form.drawBorder);
    EXPECT_TRUE(form.autoOrient);

    // The builder's values are shown as they are, also beyond the spin limits.
    form = Initial({}, {20000, 90, 300});
    EXPECT_EQ(form.width, "20000");
    EXPECT_EQ(form.height, "90");
    EXPECT_EQ(form.columns, "300");
}

TEST(OptionsForm, SpinningStaysWithinRange)
{
    EXPECT_EQ(Step(120, 1, options::kThumbSideLimit), 121);
    EXPECT_EQ(Step(120, -10, options::kThumbSideLimit), 110);
    EXPECT_EQ(Step(10000, 1, options::kThumbSideLimit), 10000);
    EXPECT_EQ(Step(256, 1, options::kThumbColumnsLimit), 256);
    EXPECT_EQ(Step(1, -1, options::kThumbColumnsLimit), 1);
    EXPECT_EQ(Step(20000, 1, options::kThumbSideLimit), 10000);
    EXPECT_EQ(Step(20000, -1, options::kThumbSideLimit), 9999);
    EXPECT_EQ(Step(5, INT_MAX, options::kThumbSideLimit), 10000);
    EXPECT_EQ(Step(5, INT_MIN, options::kThumbSideLimit), 1);
    EXPECT_EQ(Step(INT_MIN, 1, options::kThumbColumnsLimit), 2);
}

TEST(OptionsForm, OkStoresTheBoxesAndRefreshesOnlyOnChange)
{
    Form form = Initial({true, 0, 0, 0, 1}, kBuilder);
    options::Outcome outcome = Accept(form, kBuilder, true, kLive);
    EXPECT_EQ(outcome.thumbnails, kBuilder);
    EXPECT_EQ(outcome.writes, Writes(0, 0, 0));
    EXPECT_FALSE(outcome.refresh);

    form.showSplash = false;
    form.drawBorder = true;
    outcome = Accept(form, kBuilder, true, kLive);
    EXPECT_EQ(outcome.writes, Writes(1, 1, 0));
    EXPECT_TRUE(outcome.flags.drawBorder);
    EXPECT_FALSE(outcome.flags.sortOnDate);
    EXPECT_TRUE(outcome.refresh);

    // The comparison is with the browser's live flags, not with what the store held.
    form = Initial({true, 0, 0, 0, 1}, kBuilder);
    form.sortOnDate = true;
    outcome = Accept(form, kBuilder, true, {false, true, true});
    EXPECT_FALSE(outcome.refresh);
    outcome = Accept(form, kBuilder, true, {true, true, true});
    EXPECT_TRUE(outcome.refresh);
    EXPECT_FALSE(outcome.flags.drawBorder);

    form.autoOrient = false;
    outcome = Accept(form, kBuilder, true, {false, true, true});
    EXPECT_EQ(outcome.writes, Writes(0, 0, 1, 0));
    EXPECT_FALSE(outcome.flags.autoOrient);
    EXPECT_TRUE(outcome.refresh);
}

TEST(OptionsForm, WithoutAStoreOnlyTheThumbnailsChange)
{
    Form form = Initial({}, kBuilder);
    form.drawBorder = true;
    form.width = "200";
    form.autoOrient = false;
    const options::Outcome outcome = Accept(form, kBuilder, false, {false, true, true});
    EXPECT_TRUE(outcome.writes.empty());
    EXPECT_FALSE(outcome.flags.drawBorder);
    EXPECT_TRUE(outcome.flags.sortOnDate);
    EXPECT_TRUE(outcome.flags.autoOrient);
    EXPECT_FALSE(outcome.refresh);
    EXPECT_EQ(outcome.thumbnails, (Thumbnails{200, 90, 6}));
}

TEST(OptionsForm, FieldTexts)
{
    auto read = [](const std::string& text) {
        Form form = Initial({}, kBuilder);
        form.columns = text;
        return Accept(form, kBuilder, false, kLive).thumbnails.columns;
    };
    EXPECT_EQ(read(""), 6);
    EXPECT_EQ(read("12"), 12);
    EXPECT_EQ(read("  42"), 42);
    EXPECT_EQ(read("12abc"), 12);
    EXPECT_EQ(read("abc"), 0);
    EXPECT_EQ(read("-5"), -5);
    EXPECT_EQ(read("2147483647"), INT_MAX);
    EXPECT_EQ(read("2147483648"), 0);
    // Only the first 31 characters are read.
    EXPECT_EQ(read(std::string(30, '0') + "12"), 1);
}
