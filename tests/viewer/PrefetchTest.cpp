// The prefetcher under the browser: what is decoded ahead, what a step takes from it, and what
// makes it let go. The decoder stands in for the real one and marks what it decoded.
#include "BrowserFixture.h"
#include "PictureDecoder.h"
#include "Prefetcher.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::int32_t kPrefetched = 1234;

class FakeDecoder : public PictureDecoder {
public:
    bool Decode(const char* path, Picture& picture) override
    {
        std::unique_lock lock(mutex);
        opened.wait(lock, [this] { return open; });
        decoded.emplace_back(std::filesystem::path(path).filename().string());
        lock.unlock();
        if (!ImageDocument::Decode(path, picture, true)) return false;
        picture.SetDpiX(kPrefetched);
        return true;
    }
    void SetOpen(bool value)
    {
        {
            std::lock_guard lock(mutex);
            open = value;
        }
        opened.notify_all();
    }
    std::vector<std::string> Decoded()
    {
        std::lock_guard lock(mutex);
        return decoded;
    }

private:
    std::mutex mutex;
    std::condition_variable opened;
    bool open = true;
    std::vector<std::string> decoded;
};

class PrefetchTest : public BrowserTest {
protected:
    FakeDecoder decoder;
    Prefetcher prefetcher{decoder, std::uint64_t(200) * 200 * 3};

    void SetUp() override
    {
        BrowserTest::SetUp();
        browser.SetPrefetcher(&prefetcher);
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) WriteImage(name);
    }
    void TearDown() override
    {
        decoder.SetOpen(true);
        browser.SetPrefetcher(nullptr);
    }

    bool ShownWasPrefetched() const { return browser.GetDocument().GetPicture().GetDpiX() == kPrefetched; }
    bool Ready(const std::string& name) { return prefetcher.IsReady(PathOf(name)); }
    void Idle()
    {
        prefetcher.WaitUntilIdle();
        EXPECT_LE(prefetcher.GetHeld(), Prefetcher::kSlots);
    }
};

} // namespace

// Onwards the next file comes ready and the one left behind is kept as it was shown; turning
// round takes that one back without decoding it again.
TEST_F(PrefetchTest, WalkingTakesTheFilesAroundTheShownOne)
{
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    EXPECT_FALSE(ShownWasPrefetched());
    Idle();
    EXPECT_EQ(decoder.Decoded(), (std::vector<std::string>{"b.bmp", "d.bmp"}));

    const struct {
        bool (ImageBrowser::*step)();
        const char* shown;
        bool prefetched;
        std::vector<std::string> decodedSince;
    } kWalk[] = {
        {&ImageBrowser::Next, "b.bmp", true, {"c.bmp"}},
        {&ImageBrowser::Next, "c.bmp", true, {"d.bmp"}},
        {&ImageBrowser::Previous, "b.bmp", true, {"a.bmp"}},
        {&ImageBrowser::Previous, "a.bmp", true, {"d.bmp"}},
        {&ImageBrowser::Last, "d.bmp", true, {"c.bmp"}},
    };
    for (const auto& step : kWalk) {
        SCOPED_TRACE(step.shown);
        const std::size_t before = decoder.Decoded().size();
        ASSERT_TRUE((browser.*step.step)());
        EXPECT_EQ(ShownName(), step.shown);
        EXPECT_EQ(ShownWasPrefetched(), step.prefetched);
        Idle();
        const std::vector<std::string> all = decoder.Decoded();
        EXPECT_EQ(std::vector<std::string>(all.begin() + std::ptrdiff_t(before), all.end()), step.decodedSince);
    }
}

// Listing again (F5, another folder) drops every picture; a file changed or removed on disk is
// never shown from the picture made before.
TEST_F(PrefetchTest, ListingsAndChangesOnDiskDropWhatWasDecoded)
{
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    Idle();
    ASSERT_TRUE(Ready("b.bmp"));
    decoder.SetOpen(false);
    browser.Refresh();
    EXPECT_FALSE(Ready("b.bmp"));
    decoder.SetOpen(true);
    Idle();
    EXPECT_TRUE(Ready("b.bmp"));

    WriteImage("b.bmp", 30, 10);
    ASSERT_TRUE(browser.Next());
    EXPECT_FALSE(ShownWasPrefetched());
    EXPECT_EQ(ShownWidth(), 30);
    Idle();
    ASSERT_TRUE(Ready("c.bmp"));
    Remove("c.bmp");
    ASSERT_TRUE(browser.Next());
    EXPECT_EQ(ShownName(), "d.bmp");

    testsupport::TempDir other;
    std::filesystem::copy_file(PathOf("a.bmp"), other.path() / "e.bmp");
    ASSERT_TRUE(browser.LoadDirectory((other.path().string() + "/").c_str(), true));
    EXPECT_FALSE(Ready("a.bmp"));
    EXPECT_FALSE(Ready("b.bmp"));
}

// A step to a file still being decoded decodes it at once instead of waiting; the late picture
// is dropped, and no more than two are ever held.
TEST_F(PrefetchTest, AStepNeverWaitsForTheThread)
{
    decoder.SetOpen(false);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    ASSERT_TRUE(browser.Next());
    EXPECT_EQ(ShownName(), "b.bmp");
    EXPECT_FALSE(ShownWasPrefetched());
    EXPECT_LE(prefetcher.GetHeld(), Prefetcher::kSlots);
    decoder.SetOpen(true);
    Idle();
    EXPECT_FALSE(Ready("b.bmp"));
    EXPECT_TRUE(Ready("c.bmp"));
}

TEST_F(PrefetchTest, PicturesAboveTheLimitAreNotKept)
{
    WriteImage("b.bmp", 300, 300);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    Idle();
    EXPECT_FALSE(Ready("b.bmp"));
    EXPECT_TRUE(Ready("d.bmp"));
    ASSERT_TRUE(browser.Next());
    EXPECT_EQ(ShownWidth(), 300);
}
