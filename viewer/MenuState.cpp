#include "CommandHandler.h"
#include "CommandIds.h"
#include "ImageBrowser.h"
#include "Kzutil.h"
#include "MenuBar.h"
#include "ThumbnailPageBuilder.h"

namespace {

// Items that need a current image; their keys stay live and check the browser themselves.
constexpr int kImageCommands[] = {
    command::SaveAs,    command::ThumbnailPage, command::Copy,       command::NextMenu,   command::PreviousMenu,
    command::FirstMenu, command::LastMenu,      command::RefreshMenu,
};

} // namespace

void UpdateMenuState(platform::MenuBar* menu, const ImageBrowser& browser, const ThumbnailPageBuilder& builder,
                     const AppContext& app)
{
    if (!menu) return;
    const bool image = browser.HasCurrentImage();
    for (int id : kImageCommands) menu->EnableItem(id, image);
    menu->EnableItem(command::ExifInformation, image && CKzExifFile::IsExifFile(browser.GetCurrentPath()));
    menu->EnableItem(command::EditTemplate, builder.TemplateFileExists());
    menu->EnableItem(command::HelpTopics, *app.helpFilePath && CKzFile::FileExists(app.helpFilePath));
}
