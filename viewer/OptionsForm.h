// The Options dialog's decisions, free of any toolkit: what its controls show when it opens,
// how its spin fields step, and what OK stores and applies.
#pragma once

#include "SettingsKeys.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace options {

inline constexpr int kThumbMinimum = 1;
inline constexpr int kThumbSideLimit = 10000;
inline constexpr int kThumbColumnsLimit = 256;
// Longest text taken from a number field.
inline constexpr std::size_t kFieldTextLimit = 31;

struct Thumbnails {
    int width = 0;
    int height = 0;
    int columns = 0;
    friend bool operator==(const Thumbnails&, const Thumbnails&) = default;
};

// The check box settings as read from the store; nullopt for a value that is missing.
struct StoredFlags {
    bool storeExists = false;
    std::optional<int> hideSplashScreen;
    std::optional<int> drawBorder;
    std::optional<int> sortImagesOnDate;
    std::optional<int> autoOrient;
};

// The flags the viewer works with now.
struct LiveFlags {
    bool drawBorder = false;
    bool sortOnDate = false;
    bool autoOrient = true;
};

// What the dialog's controls hold.
struct Form {
    bool showSplash = true;
    bool drawBorder = false;
    bool sortOnDate = false;
    bool autoOrient = true;
    std::string width;
    std::string height;
    std::string columns;
};

// The boxes follow the store, not the browser's live flags; the fields show the page builder's
// values as they are, also when they lie beyond what the spin fields reach.
Form Initial(const StoredFlags& stored, const Thumbnails& builder);

// Spinning a field by steps (negative: down). The result stays within kThumbMinimum .. limit; a
// value stored beyond the limit is taken back into it first.
int Step(int value, int steps, int limit);

struct Outcome {
    // For the page builder, which refuses (and stores nothing) when one of them is below 1.
    Thumbnails thumbnails;
    // Settings to write, in order; empty without a settings store.
    std::vector<std::pair<settings::Id, int>> writes;
    // The flags after OK, and whether the browser's list and window must be refreshed.
    LiveFlags flags;
    bool refresh = false;
};

// OK: an empty field keeps the builder's current value; other texts are read as decimal
// integers (a text that is not one reads as 0, which the builder refuses).
Outcome Accept(const Form& form, const Thumbnails& builder, bool storeExists, const LiveFlags& live);

} // namespace options
