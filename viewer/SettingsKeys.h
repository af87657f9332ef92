// Every setting the viewer reads or writes, with its type and default, in one table that
// start-up, the Options dialog and the tests share.
#pragma once

#include <span>

namespace settings {

// The application's name in the settings store and in every message box caption.
inline constexpr char kAppName[] = "Vistrel";

enum class Kind { Int, String };

enum Id {
    InstallPath,
    HideSplashScreen,
    ShowMenuAndStatusToolbar,
    Debug,
    SortImagesOnDate,
    DrawBorder,
    WindowPosX,
    WindowPosY,
    ThumbWidth,
    ThumbHeight,
    ThumbColumns,
    AutoOrient,
    kCount
};

struct Key {
    Id id;
    const char* name;
    Kind kind;
    // Integer keys only; a string key has no default.
    int defaultValue;
    // Stored integers below this are ignored and the default stays.
    int minimum;
};

const Key& Get(Id id);
std::span<const Key> All();
// Null for a name that is not in the table.
const Key* Find(const char* name);

} // namespace settings
