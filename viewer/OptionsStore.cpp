#include "OptionsStore.h"

#include "ImageBrowser.h"
#include "ThumbnailPageBuilder.h"
#include "ViewerSettings.h"

namespace options {

namespace {

std::optional<int> Read(const ViewerSettings& store, settings::Id id)
{
    int value = 0;
    if (!store.Read(id, value)) return std::nullopt;
    return value;
}

} // namespace

StoredFlags ReadStoredFlags()
{
    const ViewerSettings store;
    StoredFlags flags;
    flags.storeExists = store.IsInstalled();
    if (!flags.storeExists) return flags;
    flags.hideSplashScreen = Read(store, settings::HideSplashScreen);
    flags.drawBorder = Read(store, settings::DrawBorder);
    flags.sortImagesOnDate = Read(store, settings::SortImagesOnDate);
    flags.autoOrient = Read(store, settings::AutoOrient);
    return flags;
}

bool Store(const Outcome& outcome)
{
    if (outcome.writes.empty()) return true;
    const ViewerSettings store;
    bool stored = true;
    for (const auto& [id, value] : outcome.writes) stored &= store.Write(id, value);
    return stored;
}

Thumbnails ThumbnailsOf(const ThumbnailPageBuilder& builder)
{
    return {builder.GetThumbWidth(), builder.GetThumbHeight(), builder.GetThumbColumns()};
}

LiveFlags FlagsOf(const ImageBrowser& browser)
{
    return {browser.GetDrawBorder(), browser.GetSortOnDate(), browser.GetAutoOrient()};
}

void Apply(const Outcome& outcome, ThumbnailPageBuilder& builder, ImageBrowser& browser)
{
    const Thumbnails& t = outcome.thumbnails;
    builder.SetThumbnailSettings(t.width, t.height, t.columns);
    builder.SetAutoOrient(outcome.flags.autoOrient);
    browser.SetDrawBorder(outcome.flags.drawBorder);
    browser.SetSortOnDate(outcome.flags.sortOnDate);
    browser.SetAutoOrient(outcome.flags.autoOrient);
    if (outcome.refresh) browser.Refresh();
}

} // namespace options
