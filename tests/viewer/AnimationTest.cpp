// Animation on a clock the test turns: the frames in order, each for its delay, as often as the
// loop count says; and, in the browser, a real animation whose shown frame Copy and the status
// bar follow.
#include "BrowserFixture.h"
#include "FrameReader.h"
#include "Timer.h"

#include <cstring>
#include <vector>

namespace {

class FakeTimer : public platform::Timer {
public:
    std::vector<int> started;
    bool running = false;

    void Start(int milliseconds) override
    {
        started.push_back(milliseconds);
        running = true;
    }
    void Stop() override { running = false; }
};

// Frames of 1 x 1 pixel whose horizontal resolution is their number, from 1.
class FakeReader : public FrameReader {
public:
    FakeReader(std::vector<std::uint16_t> frameDelays, int loops) : delays(std::move(frameDelays)), loopCount(loops) {}

    bool Next(Picture& frame) override
    {
        if (next == delays.size() || !frame.Create(1, 1, 24)) return false;
        frame.SetDpiX(std::int32_t(++next));
        frame.SetFrameDelay(delays[next - 1]);
        return true;
    }
    bool Rewind() override
    {
        next = 0;
        return true;
    }
    int GetFrameCount() const override { return int(delays.size()); }
    int GetLoopCount() const override { return loopCount; }

private:
    std::vector<std::uint16_t> delays;
    int loopCount;
    std::size_t next = 0;
};

} // namespace

TEST(Animation, FramesFollowTheirDelaysAndTheLoopCount)
{
    const struct {
        const char* what;
        std::vector<std::uint16_t> delays;
        int loops;
        // Frames shown and timer settings, from the start through as many expiries as given.
        std::vector<int> shown;
        std::vector<int> timed;
    } kCases[] = {
        {"once, delays of 0 and 1 as browsers show them", {5, 0, 1, 2, 30}, -1, {1, 2, 3, 4, 5, 5}, {50, 100, 100, 20, 300}},
        {"one repetition", {10, 20}, 1, {1, 2, 1, 2, 2}, {100, 200, 100, 200}},
        {"for ever", {10, 20}, 0, {1, 2, 1, 2, 1, 2, 1}, {100, 200, 100, 200, 100, 200, 100}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        FakeTimer timer;
        Animation animation;
        animation.SetTimer(&timer);
        Picture shown;
        ASSERT_TRUE(animation.Start(std::make_unique<FakeReader>(c.delays, c.loops), shown));
        std::vector<int> frames{shown.GetDpiX()};
        while (frames.size() < c.shown.size()) {
            // The timer runs out.
            timer.running = false;
            const bool changed = animation.Advance(shown);
            EXPECT_EQ(changed, timer.running);
            EXPECT_EQ(animation.GetFrame(), shown.GetDpiX());
            frames.push_back(shown.GetDpiX());
        }
        EXPECT_EQ(frames, c.shown);
        EXPECT_EQ(timer.started, c.timed);
    }
}

TEST(Animation, APauseHoldsTheFrameAndTheRestStartsAgain)
{
    FakeTimer timer;
    Animation animation;
    animation.SetTimer(&timer);
    Picture shown;
    ASSERT_TRUE(animation.Start(std::make_unique<FakeReader>(std::vector<std::uint16_t>{10, 20}, 0), shown));
    animation.SetPaused(true);
    EXPECT_FALSE(timer.running);
    EXPECT_FALSE(animation.Advance(shown));
    EXPECT_EQ(shown.GetDpiX(), 1);
    animation.SetPaused(false);
    EXPECT_EQ(timer.started, (std::vector<int>{100, 100}));
    EXPECT_TRUE(animation.Advance(shown));
    EXPECT_EQ(shown.GetDpiX(), 2);
    animation.Stop();
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(animation.GetFrame(), 0);
}

class AnimatedBrowserTest : public BrowserTest {
protected:
    FakeTimer timer;
    testsupport::FakeClipboard clipboard;

    void SetUp() override
    {
        BrowserTest::SetUp();
        browser.SetAnimationTimer(&timer);
    }
    void TearDown() override { browser.SetAnimationTimer(nullptr); }
};

TEST_F(AnimatedBrowserTest, TheShownFrameIsWhatStatusCopyAndSaveAsSee)
{
    VISTREL_REQUIRE_CORPUS(corpus, "gif");
    const std::filesystem::path animation = corpus / "gif-test-suite/animated_loop.gif";
    std::filesystem::copy_file(animation, temp.path() / "a.gif");
    WriteImage("b.bmp");
    ASSERT_TRUE(browser.LoadFile(PathOf("a.gif").c_str()));
    const std::unique_ptr<FrameReader> reader = FrameReader::Open(animation.string());
    ASSERT_TRUE(reader);
    const std::string count = std::to_string(reader->GetFrameCount());
    EXPECT_EQ(std::string(browser.GetFrameText()), "Frame 1/" + count);

    Picture second;
    ASSERT_TRUE(reader->Next(second) && reader->Next(second));
    ASSERT_TRUE(browser.AdvanceAnimation());
    EXPECT_EQ(std::string(browser.GetFrameText()), "Frame 2/" + count);
    ASSERT_TRUE(browser.CopyToClipboard(clipboard));
    EXPECT_EQ(clipboard.image, second.CopyToGlobalHandle());
    ASSERT_TRUE(browser.SaveAs(PathOf("copy.bmp").c_str(), SaveBmp));
    Picture saved;
    ASSERT_TRUE(saved.Load(PathOf("copy.bmp")));
    EXPECT_EQ(0, std::memcmp(saved.GetBits(), second.GetBits(), std::size_t(second.GetEffWidth()) * second.GetHeight()));

    ASSERT_TRUE(browser.Next());
    EXPECT_STREQ(browser.GetFrameText(), "");
    EXPECT_FALSE(timer.running);
}
