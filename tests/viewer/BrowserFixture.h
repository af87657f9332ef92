// A browser on the fake window system, over a temporary folder of small bitmaps.
#pragma once

#include "FakePlatform.h"
#include "ImageBrowser.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class BrowserTest : public ::testing::Test {
protected:
    testsupport::FakeDesktop desktop;
    testsupport::FakeWindow window;
    testsupport::FakeStatusBar statusBar;
    ImageBrowser browser{desktop};
    testsupport::TempDir temp;

    void SetUp() override { ASSERT_TRUE(browser.SetWindows(&window, &statusBar)); }

    std::string Dir() const { return temp.path().string() + "/"; }
    std::string PathOf(const std::string& name) const { return Dir() + name; }

    // A 24-bit bitmap whose top-left pixel tells the files apart.
    void WriteImage(const std::string& name, int width = 20, int height = 10, std::uint8_t mark = 0)
    {
        Picture picture(width, height, 24);
        picture.SetPixelColor(0, height - 1, RgbQuad{mark, mark, mark, 0});
        ASSERT_TRUE(picture.Save(PathOf(name), ImageFormat::Bmp)) << picture.GetLastError();
    }
    void WriteBroken(const std::string& name) { testsupport::WriteFile(temp.path() / name, std::string("BM broken")); }
    void Remove(const std::string& name) { std::filesystem::remove(temp.path() / name); }

    std::string ShownName() const { return browser.GetFileName(); }
    int ShownWidth() const { return browser.GetDocument().GetPicture().GetWidth(); }
};
