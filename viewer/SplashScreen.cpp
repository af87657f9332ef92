#include "SplashScreen.h"

#include "RasterDC.h"

#include <cstring>

namespace splash {

namespace {

constexpr int kTextX = 15;
constexpr int kLineTops[] = {95, 135, 291};
constexpr int kLineHeights[] = {42, 22, 14};

std::string CutLine(const char* text)
{
    return std::string(text, strnlen(text, kLineCapacity));
}

} // namespace

bool SplashScreen::Prepare(const Params& params)
{
    ignoreClicks = params.ignoreClicks;
    lines = {};
    timeout = 0;
    ticks = 0;

    if (!picture.CreateFromBitmap(params.bitmap)) return false;
    if (params.timeout >= 0 && params.timeout <= kLongestTimeout) timeout = params.timeout;

    const char* texts[] = {params.line1, params.line2, params.line3};
    if (!texts[0] || !texts[1] || !texts[2]) return true;
    for (std::size_t i = 0; i < lines.size(); ++i)
        lines[i] = {kTextX, kLineTops[i], kLineHeights[i], CutLine(texts[i])};
    return true;
}

int SplashScreen::GetWidth() const
{
    return int(picture.GetWidth());
}

int SplashScreen::GetHeight() const
{
    return int(picture.GetHeight());
}

Position SplashScreen::CentreOn(int screenWidth, int screenHeight) const
{
    return {screenWidth / 2 - GetWidth() / 2, screenHeight / 2 - GetHeight() / 2};
}

bool SplashScreen::OnTimerTick()
{
    if (!UsesTimer()) return false;
    return ++ticks >= timeout;
}

bool SplashScreen::OnClickOrKey() const
{
    return !(UsesTimer() && ignoreClicks);
}

bool SplashScreen::Paint(RasterDC& dc)
{
    return picture.Draw(&dc, 0, 0);
}

} // namespace splash
