#include "OptionsStore.h"

#include "ImageBrowser.h"
#include "Kzutil.h"

namespace options {

namespace {

std::optional<int> Read(const CKzAppSettings& store, settings::Id id)
{
    int value = 0;
    if (!store.GetValueInt(settings::Get(id).name, value)) return std::nullopt;
    return value;
}

} // namespace

StoredFlags ReadStoredFlags()
{
    StoredFlags flags;
    flags.storeExists = CKzAppSettings::IsAppInstalled(settings::kAppName);
    if (!flags.storeExists) return flags;
    const CKzAppSettings store(settings::kAppName);
    flags.hideSplashScreen = Read(store, settings::HideSplashScreen);
    flags.drawBorder = Read(store, settings::DrawBorder);
    flags.sortImagesOnDate = Read(store, settings::SortImagesOnDate);
    return flags;
}

bool Store(const Outcome& outcome)
{
    if (outcome.writes.empty()) return true;
    const CKzAppSettings store(settings::kAppName);
    bool stored = true;
    for (const auto& [id, value] : outcome.writes) stored &= store.SetValueInt(settings::Get(id).name, value);
    return stored;
}

void Apply(const Outcome& outcome, ImageBrowser& browser)
{
    browser.SetDrawBorder(outcome.drawBorder);
    browser.SetSortOnDate(outcome.sortOnDate);
    if (outcome.refresh) browser.Refresh();
}

} // namespace options
