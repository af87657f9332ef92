// Every good corpus file of every format with a codec, cut short: the decoder must fail with a
// reason or give a picture that says it is partial, never crash and never claim a whole image.
#include "CodecTable.h"
#include "MemoryStream.h"
#include "TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Corpus folders of good files per format; bad/ folders and PngSuite's x* files are left out.
std::vector<std::string> GoodFolders(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Bmp: return {"bmp", "bmpsuite/g"};
    case ImageFormat::Jpg: return {"jpeg", "exif/exif-samples"};
    case ImageFormat::Png: return {"png", "pngsuite"};
    case ImageFormat::Tif: return {"tiff"};
    case ImageFormat::Wmf: return {"wmf", "emf"};
    default: return {FormatName(format)};
    }
}

std::vector<fs::path> GoodFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().generic_string();
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || path.find("/bad/") != std::string::npos) continue;
        if (name.ends_with(".md") || name.ends_with(".txt") || name.starts_with("x") || name == "LICENSE") continue;
        files.push_back(entry.path());
    }
    return files;
}

bool Decode(Picture& picture, const std::vector<unsigned char>& bytes, std::size_t length, ImageFormat format)
{
    MemoryStream stream(bytes.data(), length);
    return picture.Decode(stream, format);
}

} // namespace

TEST(CutFiles, GiveAnErrorOrAPartialPicture)
{
    VISTREL_REQUIRE_CORPUS(corpus, "");
    for (const CodecEntry& entry : CodecTable()) {
        if (!entry.make) continue;
        int checked = 0;
        for (const std::string& folder : GoodFolders(entry.format)) {
            ASSERT_TRUE(fs::is_directory(corpus / folder)) << folder;
            for (const fs::path& file : GoodFiles(corpus / folder)) {
                const std::vector<unsigned char> bytes = testsupport::ReadFile(file);
                Picture whole;
                // Files of another format, and variants the codec does not read, are not cut.
                if (!Decode(whole, bytes, bytes.size(), entry.format) || whole.IsPartial()) continue;
                ++checked;
                for (const std::size_t length : {bytes.size() / 3, bytes.size() / 2, bytes.size() * 9 / 10}) {
                    Picture cut;
                    if (!Decode(cut, bytes, length, entry.format)) {
                        EXPECT_STRNE(cut.GetLastError(), "") << file << " cut at " << length;
                        continue;
                    }
                    // The first image of a multi-image file may well lie before the cut, and so
                    // may the whole image of a file with trailing data (a TGA footer).
                    if (!entry.multiImage && !cut.IsPartial()) {
                        EXPECT_TRUE(cut.GetSize() == whole.GetSize() &&
                                    std::equal(cut.GetDib(), cut.GetDib() + cut.GetSize(), whole.GetDib()))
                            << file << " cut at " << length << " decoded as whole";
                    }
                    Picture any;
                    Decode(any, bytes, length, ImageFormat::Unknown);
                }
            }
        }
        EXPECT_GT(checked, 0) << FormatName(entry.format) << ": no good corpus file decoded";
    }
}
