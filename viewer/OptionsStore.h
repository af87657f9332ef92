// Where the Options dialog's settings come from and go to: the application's settings store
// and the browser.
#pragma once

#include "OptionsForm.h"

class ImageBrowser;
class ThumbnailPageBuilder;

namespace options {

// The check box settings as the store holds them now.
StoredFlags ReadStoredFlags();

// Writes what OK stores; false when a value could not be written.
bool Store(const Outcome& outcome);

// The page builder's thumbnail values, as the dialog shows them.
Thumbnails ThumbnailsOf(const ThumbnailPageBuilder& builder);

LiveFlags FlagsOf(const ImageBrowser& browser);

// The builder takes (and stores) the thumbnail values unless one is below 1. The browser takes
// the outcome's flags (the builder the orientation flag); when they changed the browser lists and
// loads again and refits the window at once.
void Apply(const Outcome& outcome, ThumbnailPageBuilder& builder, ImageBrowser& browser);

} // namespace options
