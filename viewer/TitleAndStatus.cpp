#include "TitleAndStatus.h"

#include "ImageBrowser.h"
#include "SettingsKeys.h"
#include "ViewConstants.h"
#include "Window.h"

#include <cstdio>

void InitStatusBar(ImageBrowser& browser, platform::StatusBar& statusBar)
{
    statusBar.SetParts(view::kStatusPartEdges, view::kStatusParts);
    statusBar.SetText(0, browser.GetImageInfoText());
    // Stands until the first update, as wide as the widest zoom.
    statusBar.SetText(1, "0000%");
    statusBar.SetText(2, browser.GetPositionText());
    statusBar.SetText(3, browser.GetDirectoryText());
}

void UpdateTitleAndStatus(ImageBrowser& browser, platform::Window& window, platform::StatusBar* statusBar)
{
    // Titles are cut to 259 characters.
    char title[260];
    if (browser.HasCurrentImage())
        std::snprintf(title, sizeof title, "%s [%s]", settings::kAppName, browser.GetFileName());
    else
        std::snprintf(title, sizeof title, "%s", settings::kAppName);
    window.SetTitle(title);
    if (!statusBar) return;
    statusBar->SetText(0, browser.GetImageInfoText());
    statusBar->SetText(1, browser.GetZoomText());
    statusBar->SetText(2, browser.GetPositionText());
    // A file that could not be shown, or the frame of an animation, is named where the user
    // looks for the folder.
    char text[600];
    if (*browser.GetUnshownFile()) {
        std::snprintf(text, sizeof text, "Could not show %s - %s", browser.GetUnshownFile(), browser.GetDirectoryText());
        statusBar->SetText(3, text);
    } else if (*browser.GetFrameText()) {
        std::snprintf(text, sizeof text, "%s - %s", browser.GetFrameText(), browser.GetDirectoryText());
        statusBar->SetText(3, text);
    } else {
        statusBar->SetText(3, browser.GetDirectoryText());
    }
}
