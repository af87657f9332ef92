#include "FakePlatform.h"
#include "ParallelJobs.h"
#include "Picture.h"
#include "TestSupport.h"
#include "ThumbnailPageBuilder.h"
#include "ThumbnailState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::TempDir;

TEST(ParallelJobs, RunsEveryJobOnceWithNoMoreInFlightThanThreads)
{
    for (const int threads : {1, 3, 8}) {
        SCOPED_TRACE(threads);
        constexpr int kCount = 200;
        std::vector<std::atomic<int>> runs(kCount);
        std::atomic<int> inFlight{0}, mostInFlight{0};
        std::vector<int> reported;
        RunParallelJobs(
            kCount, threads,
            [&](int i) {
                const int now = ++inFlight;
                for (int seen = mostInFlight; now > seen && !mostInFlight.compare_exchange_weak(seen, now);) {}
                // Some work, so that the workers overlap.
                volatile double sum = 0;
                for (int k = 0; k < 20000; ++k) sum = sum + k;
                ++runs[std::size_t(i)];
                --inFlight;
            },
            [&](int done) { reported.push_back(done); });
        for (int i = 0; i < kCount; ++i) EXPECT_EQ(runs[std::size_t(i)], 1) << i;
        EXPECT_LE(mostInFlight, threads);
        EXPECT_EQ(inFlight, 0);
        ASSERT_FALSE(reported.empty());
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
        EXPECT_EQ(reported.back(), kCount);
    }
    EXPECT_GE(ProcessorCount(), 1);
}

TEST(ParallelJobs, AFailingJobIsThrownWhenAllHaveEnded)
{
    std::atomic<int> inFlight{0};
    const auto job = [&](int i) {
        ++inFlight;
        if (i == 5) {
            --inFlight;
            throw std::runtime_error("job 5");
        }
        --inFlight;
    };
    EXPECT_THROW(RunParallelJobs(10000, 4, job, nullptr), std::runtime_error);
    EXPECT_EQ(inFlight, 0);
    EXPECT_THROW(RunParallelJobs(10, 1, job, nullptr), std::runtime_error);
}

namespace {

constexpr char kAppKey[] = "Software\\Marvensk\\Vistrel";

// A folder of photos and its thumbnail page, built with a template that holds no date or path,
// so that two folders with the same files give the same page.
class PhotoFolder {
public:
    TempDir dir;
    testsupport::FakeDesktop desktop;
    ThumbnailPageBuilder builder{desktop};

    void WriteImage(const std::string& name, int width, int height, int shade = 0, ImageFormat format = ImageFormat::Bmp)
    {
        Picture picture(width, height, 24);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 7 + shade), std::uint8_t(y * 3), std::uint8_t(shade), 0});
        ASSERT_TRUE(picture.Save(dir.file(name), format)) << picture.GetLastError();
    }
    void WriteBroken(const std::string& name) { testsupport::WriteFile(dir.path() / name, std::string("BM broken")); }

    bool Build(int threads)
    {
        builder.SetThreadCount(threads);
        return builder.Build(dir.path().c_str());
    }
    fs::path Thumbs() const { return dir.path() / ThumbnailPageBuilder::kThumbFolder; }

    // The page and every file of the thumbnail folder but the record of the build.
    std::map<std::string, std::vector<unsigned char>> Snapshot() const
    {
        std::map<std::string, std::vector<unsigned char>> files;
        files["page"] = testsupport::ReadFile(dir.path() / ThumbnailPageBuilder::kPageName);
        for (const auto& entry : fs::directory_iterator(Thumbs()))
            if (entry.path().filename() != ThumbnailState::kFileName)
                files[entry.path().filename().string()] = testsupport::ReadFile(entry.path());
        return files;
    }
    const ThumbnailFolder::Summary& Summary() const { return builder.GetSummary(); }
};

class ThumbnailPoolTest : public ::testing::Test {
protected:
    TempDir store;
    TempDir install;

    void SetUp() override
    {
        setenv("KZUTIL_REGISTRY_DIR", store.file("registry").c_str(), 1);
        ASSERT_TRUE(CKzRegistry::SetValueString("HKEY_CURRENT_USER", kAppKey, "InstallPath", install.path().c_str()));
        testsupport::WriteFile(install.path() / ThumbnailPageBuilder::kTemplateName,
                               std::string("[THUMBNAIL_COUNT]\n[THUMBNAILS]"));
    }
    void TearDown() override
    {
        fs::current_path(fs::temp_directory_path());
        unsetenv("KZUTIL_REGISTRY_DIR");
    }

    // Names that clash (a.bmp, a.png, A.tif take a, a-3, a-4 around a-2.gif), photos large
    // enough to be decoded at a reduced scale, and a broken file in the middle.
    static void Fill(PhotoFolder& folder)
    {
        folder.WriteImage("A.tif", 30, 40, 1);
        folder.WriteImage("a-2.gif", 10, 20, 2);
        folder.WriteImage("a.bmp", 400, 300, 3);
        folder.WriteImage("a.png", 50, 50, 4);
        folder.WriteBroken("m-broken.jpg");
        folder.WriteImage("my.photo.jpg", 1200, 900, 5, ImageFormat::Jpg);
        for (int i = 0; i < 8; ++i) folder.WriteImage("p" + std::to_string(i) + ".jpg", 700 + 10 * i, 500, 6 + i, ImageFormat::Jpg);
        ASSERT_TRUE(folder.builder.LoadTemplate());
    }
};

} // namespace

TEST_F(ThumbnailPoolTest, OneThreadAndEightGiveTheSamePageAndFilesAndARebuildKeepsThem)
{
    PhotoFolder one, eight;
    Fill(one);
    Fill(eight);
    ASSERT_TRUE(one.Build(1));
    std::vector<std::pair<int, int>> progress;
    eight.builder.SetProgress([&](int done, int total) { progress.emplace_back(done, total); });
    ASSERT_TRUE(eight.Build(8));
    const auto files = one.Snapshot();
    EXPECT_EQ(files, eight.Snapshot());
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"A.jpg", "a-2.jpg", "a-3.jpg", "a-4.jpg", "my.jpg", "p0.jpg", "p1.jpg",
                                               "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg", "p6.jpg", "p7.jpg", "page"}));
    const std::string page(files.at("page").begin(), files.at("page").end());
    EXPECT_EQ(page.substr(0, 3), "14\n");
    EXPECT_EQ(page.find("broken"), std::string::npos);
    EXPECT_EQ(eight.Summary().made, 13);
    EXPECT_EQ(eight.Summary().kept, 0);
    ASSERT_EQ(eight.Summary().failed, 1);
    EXPECT_EQ(eight.Summary().failures[0].fileName, "m-broken.jpg");
    EXPECT_FALSE(eight.Summary().failures[0].reason.empty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(14, 14));
    for (const auto& [done, total] : progress) EXPECT_EQ(total, 14);

    const auto stamp = fs::last_write_time(eight.Thumbs() / "p3.jpg");
    progress.clear();
    ASSERT_TRUE(eight.Build(8));
    EXPECT_EQ(eight.Snapshot(), files);
    EXPECT_EQ(fs::last_write_time(eight.Thumbs() / "p3.jpg"), stamp);
    EXPECT_EQ(eight.Summary().made, 0);
    EXPECT_EQ(eight.Summary().kept, 13);
    EXPECT_EQ(eight.Summary().failed, 1);
    EXPECT_FALSE(fs::exists(eight.Thumbs() / ".vistrel-work"));
}

// Whatever changed between two builds, the second gives exactly what a first build of the
// changed folder gives.
TEST_F(ThumbnailPoolTest, ChangesBetweenBuildsEndAsAFreshBuildWould)
{
    PhotoFolder folder;
    Fill(folder);
    ASSERT_TRUE(folder.Build(3));
    testsupport::WriteFile(folder.Thumbs() / "mine.jpg", std::string("not ours"));

    folder.WriteImage("p1.jpg", 300, 900, 77, ImageFormat::Jpg);             // changed
    folder.WriteImage("a.gif", 20, 20, 9);                                   // added: names shift
    fs::remove(folder.dir.path() / "p2.jpg");                                // removed
    fs::rename(folder.dir.path() / "p3.jpg", folder.dir.path() / "q3.jpg");  // renamed
    testsupport::WriteFile(folder.Thumbs() / "p4.jpg", std::string("edited")); // thumbnail edited
    fs::remove(folder.Thumbs() / "p5.jpg");                                  // thumbnail deleted
    ASSERT_TRUE(folder.Build(3));
    // p1, a.gif, q3, p4 and p5 are made; a.png keeps its thumbnail under its new name a-5.
    EXPECT_EQ(folder.Summary().made, 5);
    EXPECT_EQ(folder.Summary().kept, 8);
    EXPECT_EQ(folder.Summary().failed, 1);
    EXPECT_TRUE(fs::exists(folder.Thumbs() / "mine.jpg"));
    fs::remove(folder.Thumbs() / "mine.jpg");

    PhotoFolder fresh;
    for (const auto& entry : fs::directory_iterator(folder.dir.path()))
        if (entry.is_regular_file() && entry.path().filename() != ThumbnailPageBuilder::kPageName)
            fs::copy_file(entry.path(), fresh.dir.path() / entry.path().filename());
    ASSERT_TRUE(fresh.builder.LoadTemplate());
    ASSERT_TRUE(fresh.Build(2));
    EXPECT_EQ(folder.Snapshot(), fresh.Snapshot());

    // New settings make every thumbnail again.
    ASSERT_TRUE(folder.builder.SetThumbnailSettings(60, 60, 6));
    ASSERT_TRUE(folder.Build(2));
    EXPECT_EQ(folder.Summary().made, 13);
    EXPECT_EQ(folder.Summary().kept, 0);

    // When no image is left, every thumbnail goes, and with them the folder.
    for (const auto& entry : fs::directory_iterator(folder.dir.path()))
        if (entry.is_regular_file()) fs::remove(entry.path());
    EXPECT_FALSE(folder.Build(2));
    EXPECT_FALSE(fs::exists(folder.Thumbs()));
}

TEST_F(ThumbnailPoolTest, ADamagedRecordOnlyCostsTheThumbnailsItNoLongerVouchesFor)
{
    PhotoFolder folder;
    Fill(folder);
    ASSERT_TRUE(folder.Build(2));
    const auto files = folder.Snapshot();
    const fs::path record = folder.Thumbs() / ThumbnailState::kFileName;
    ThumbnailState state;
    ASSERT_TRUE(state.Read(record.string()));
    ASSERT_EQ(state.records.size(), 13u);

    // One line cut short, one pointing out of the folder: those thumbnails are made again and
    // nothing outside the folder is touched.
    std::vector<unsigned char> text = testsupport::ReadFile(record);
    std::string lines(text.begin(), text.end());
    const std::size_t third = lines.find('\n', lines.find('\n', lines.find('\n') + 1) + 1);
    lines.insert(third + 1, "1 2 3 4 5 6\tgone.jpg\t../page.jpg\n12 x\n");
    testsupport::WriteFile(folder.dir.path() / "page.jpg", std::string("outside"));
    testsupport::WriteFile(record, lines);
    ASSERT_TRUE(folder.Build(2));
    EXPECT_EQ(folder.Summary().kept, 13);
    EXPECT_TRUE(fs::exists(folder.dir.path() / "page.jpg"));
    fs::remove(folder.dir.path() / "page.jpg");

    testsupport::WriteFile(record, std::string("vistrel thumbnails 1\nbox 120\n"));
    ASSERT_TRUE(folder.Build(2));
    EXPECT_EQ(folder.Summary().made, 13);
    EXPECT_EQ(folder.Snapshot(), files);
}
