#include "SettingsKeys.h"

#include "Window.h"

#include <climits>
#include <cstring>

namespace settings {

namespace {

constexpr int kAny = INT_MIN;

constexpr Key kKeys[] = {
    {InstallPath, "InstallPath", Kind::String, 0, kAny},
    {HideSplashScreen, "HideSplashScreen", Kind::Int, 0, kAny},
    {ShowMenuAndStatusToolbar, "ShowMenuAndStatusToolbar", Kind::Int, 1, kAny},
    {Debug, "Debug", Kind::Int, 0, kAny},
    {SortImagesOnDate, "SortImagesOnDate", Kind::Int, 0, kAny},
    {DrawBorder, "DrawBorder", Kind::Int, 0, kAny},
    {WindowPosX, "WindowPosX", Kind::Int, platform::kDefaultPosition, kAny},
    {WindowPosY, "WindowPosY", Kind::Int, platform::kDefaultPosition, kAny},
    {ThumbWidth, "ThumbWidth", Kind::Int, 120, 1},
    {ThumbHeight, "ThumbHeight", Kind::Int, 120, 1},
    {ThumbColumns, "ThumbColumns", Kind::Int, 6, 1},
    {AutoOrient, "AutoOrient", Kind::Int, 1, kAny},
};
static_assert(std::size(kKeys) == kCount);

constexpr bool InIdOrder()
{
    for (int i = 0; i < kCount; ++i)
        if (kKeys[i].id != i) return false;
    return true;
}
static_assert(InIdOrder(), "Get indexes the table by id");

} // namespace

const Key& Get(Id id)
{
    return kKeys[id];
}

std::span<const Key> All()
{
    return kKeys;
}

const Key* Find(const char* name)
{
    if (!name) return nullptr;
    for (const Key& key : kKeys)
        if (std::strcmp(key.name, name) == 0) return &key;
    return nullptr;
}

} // namespace settings
