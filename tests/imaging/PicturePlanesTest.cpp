// Picture: ownership (Copy, Transfer, CopyInfo), alpha and selection planes, bitmap import and
// the packed block handed to the clipboard.
#include "Picture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

RgbQuad Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return RgbQuad{b, g, r, 0};
}

Picture MakeSample()
{
    Picture picture(6, 4, 8, ImageFormat::Gif);
    picture.SetGrayPalette();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) picture.SetPixelIndex(x, y, std::uint8_t(10 * y + x));
    picture.SetDpiX(300);
    picture.SetDpiY(150);
    picture.SetJpegQuality(90);
    picture.SetTransparentIndex(3);
    picture.AlphaCreate();
    picture.AlphaSet(5, 3, 77);
    return picture;
}

TEST(PictureOwnership, CopyDuplicatesEverythingAndSharesNothing)
{
    Picture source = MakeSample();
    Picture copy(source, true, true, true);
    ASSERT_TRUE(copy.IsValid());
    EXPECT_NE(copy.GetDib(), source.GetDib());
    EXPECT_NE(copy.GetBits(), source.GetBits());
    EXPECT_NE(copy.GetAlpha(), source.GetAlpha());
    EXPECT_EQ(copy.GetBits(), copy.GetDib() + 40 + 1024);
    EXPECT_EQ(0, std::memcmp(copy.GetDib(), source.GetDib(), source.GetSize()));
    EXPECT_EQ(copy.AlphaGet(5, 3), 77);
    EXPECT_EQ(copy.GetType(), ImageFormat::Gif);
    EXPECT_EQ(copy.GetJpegQuality(), 90);
    EXPECT_EQ(copy.GetTransparentIndex(), 3);
    EXPECT_EQ(copy.GetInfo().ghostOf, nullptr);

    // Changing the copy leaves the source as it was.
    copy.SetPixelIndex(0, 0, 200);
    EXPECT_EQ(source.GetPixelIndex(0, 0), 0);
}

TEST(PictureOwnership, CopyKeepsResolutionConsistent)
{
    Picture source = MakeSample();
    Picture copy;
    copy.Copy(source);
    EXPECT_EQ(copy.GetDpiX(), 300);
    EXPECT_EQ(copy.GetHeader().xPelsPerMeter, 11811);
    EXPECT_EQ(copy.GetHeader().yPelsPerMeter, 5906);

    Picture temporary;
    temporary.CopyInfo(source);
    temporary.Create(2, 2, 24);
    EXPECT_EQ(temporary.GetHeader().xPelsPerMeter, 11811);
    BitmapInfoHeader inBlock;
    std::memcpy(&inBlock, temporary.GetDib(), sizeof inBlock);
    EXPECT_EQ(inBlock.yPelsPerMeter, 5906);
}

TEST(PictureOwnership, CopyWithoutPixelsKeepsPaletteOnly)
{
    Picture source = MakeSample();
    Picture copy(source, false, false, false);
    EXPECT_EQ(copy.GetPixelIndex(5, 3), 0);
    EXPECT_EQ(copy.GetPaletteColor(200), source.GetPaletteColor(200));
    EXPECT_EQ(copy.GetAlpha(), nullptr);
}

TEST(PictureOwnership, AssignmentToItselfChangesNothing)
{
    Picture picture = MakeSample();
    std::uint8_t* dib = picture.GetDib();
    Picture& alias = picture;
    picture = alias;
    EXPECT_EQ(picture.GetDib(), dib);
    EXPECT_EQ(picture.GetPixelIndex(5, 3), 35);
    picture.Copy(picture);
    EXPECT_EQ(picture.GetDib(), dib);
}

TEST(PictureOwnership, TransferMovesBuffersAndEmptiesTheSource)
{
    Picture source = MakeSample();
    std::uint8_t* dib = source.GetDib();
    std::uint8_t* alpha = source.GetAlpha();
    Picture target(10, 10, 24);
    target.Transfer(source);
    EXPECT_EQ(target.GetDib(), dib);
    EXPECT_EQ(target.GetAlpha(), alpha);
    EXPECT_EQ(target.GetPixelIndex(5, 3), 35);
    EXPECT_EQ(target.GetDpiX(), 300);
    EXPECT_EQ(target.GetType(), ImageFormat::Gif);

    EXPECT_FALSE(source.IsValid());
    EXPECT_EQ(source.GetWidth(), 0);
    EXPECT_EQ(source.GetBits(), nullptr);
    EXPECT_EQ(source.GetAlpha(), nullptr);
    source.Destroy();
    target.Transfer(target);
    EXPECT_EQ(target.GetDib(), dib);
}

TEST(PictureOwnership, MoveAndCopyConstructionFollowTheSameRules)
{
    Picture source = MakeSample();
    Picture copied(source);
    Picture moved(std::move(source));
    EXPECT_FALSE(source.IsValid()); // NOLINT(bugprone-use-after-move): the moved-from state is tested
    EXPECT_EQ(copied.GetPixelIndex(1, 1), 11);
    EXPECT_EQ(moved.GetPixelIndex(1, 1), 11);
    copied = std::move(moved);
    EXPECT_EQ(copied.GetPixelIndex(2, 2), 22);
}

TEST(PictureOwnership, BorrowedPicturesFreeNothingAndCopiesNeverBorrow)
{
    Picture owner = MakeSample();
    {
        Picture borrower;
        borrower.BorrowBuffers(owner);
        EXPECT_EQ(borrower.GetDib(), owner.GetDib());
        EXPECT_EQ(borrower.GetInfo().ghostOf, &owner);

        // A copy of a borrower owns its own buffers.
        Picture copy(borrower);
        EXPECT_EQ(copy.GetInfo().ghostOf, nullptr);
        EXPECT_NE(copy.GetDib(), owner.GetDib());

        Picture infoOnly;
        infoOnly.CopyInfo(borrower);
        EXPECT_EQ(infoOnly.GetInfo().ghostOf, nullptr);
        EXPECT_EQ(infoOnly.GetInfo().pixels, nullptr);
    }
    // The owner's buffers survived the borrower (the sanitizers check the rest).
    EXPECT_EQ(owner.GetPixelIndex(5, 3), 35);

    Picture borrower;
    borrower.BorrowBuffers(owner);
    borrower.Create(3, 3, 24);
    EXPECT_EQ(borrower.GetInfo().ghostOf, nullptr) << "building its own image makes it an owner";
    EXPECT_NE(borrower.GetDib(), owner.GetDib());
    EXPECT_EQ(owner.GetPixelIndex(5, 3), 35);
}

TEST(PictureOwnership, CopyInfoOnlyIntoAnEmptyPicture)
{
    Picture source = MakeSample();
    Picture full(2, 2, 24);
    full.CopyInfo(source);
    EXPECT_EQ(full.GetJpegQuality(), 75);
    Picture empty;
    empty.CopyInfo(source);
    EXPECT_EQ(empty.GetJpegQuality(), 90);
    EXPECT_EQ(empty.GetType(), ImageFormat::Gif);
}

TEST(PicturePlanes, AlphaCopyNeedsTheSameSize)
{
    Picture source(4, 3, 24);
    source.AlphaCreate();
    source.AlphaSet(3, 2, 9);
    source.SetAlphaMax(128);

    Picture narrower(3, 3, 24);
    EXPECT_FALSE(narrower.AlphaCopy(source));
    Picture shorter(4, 2, 24);
    EXPECT_FALSE(shorter.AlphaCopy(source)) << "a shorter plane would be overrun";
    EXPECT_EQ(shorter.GetAlpha(), nullptr);

    Picture same(4, 3, 8);
    EXPECT_TRUE(same.AlphaCopy(source));
    EXPECT_EQ(same.AlphaGet(3, 2), 9);
    EXPECT_EQ(same.GetAlphaMax(), 128);
    EXPECT_FALSE(same.AlphaCopy(Picture(4, 3, 24))) << "a source without a plane";
}

TEST(PicturePlanes, AlphaAccessFlipAndMirror)
{
    Picture picture(3, 2, 24);
    EXPECT_EQ(picture.AlphaGet(0, 0), 0);
    picture.AlphaSet(0, 0, 1);
    ASSERT_TRUE(picture.AlphaCreate());
    picture.AlphaSet(0, 0, 1);
    picture.AlphaSet(2, 1, 6);
    picture.AlphaSet(3, 0, 99);
    picture.AlphaSet(0, -1, 99);
    EXPECT_EQ(picture.AlphaGet(3, 0), 0);
    picture.AlphaFlip();
    EXPECT_EQ(picture.AlphaGet(0, 1), 1);
    EXPECT_EQ(picture.AlphaGet(2, 0), 6);
    picture.AlphaMirror();
    EXPECT_EQ(picture.AlphaGet(2, 1), 1);
    EXPECT_EQ(picture.AlphaGet(0, 0), 6);
    picture.AlphaClear(5);
    EXPECT_EQ(picture.AlphaGet(1, 1), 5);
    picture.AlphaDelete();
    EXPECT_EQ(picture.GetAlpha(), nullptr);
}

TEST(PicturePlanes, PaletteAlpha)
{
    Picture picture(1, 1, 4);
    EXPECT_FALSE(picture.AlphaPaletteHasAlpha());
    picture.SetPaletteEntry(15, 0, 0, 0, 1);
    EXPECT_TRUE(picture.AlphaPaletteHasAlpha());
    EXPECT_FALSE(Picture(1, 1, 24).AlphaPaletteHasAlpha());
}

TEST(PicturePlanes, SelectionCopyAndDelete)
{
    Picture picture(4, 3, 8);
    picture.SelectionDelete();
    const SelectionBox box = picture.GetSelectionBox();
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(box.bottom, 3);
    EXPECT_FALSE(picture.SelectionCopy(Picture(4, 3, 8)));
    Picture shorter(4, 2, 8);
    EXPECT_FALSE(shorter.SelectionCopy(picture));
}

TEST(PictureExport, ClipboardBlockIsThePackedBitmap)
{
    EXPECT_TRUE(Picture().CopyToGlobalHandle().empty());
    Picture picture = MakeSample();
    const ByteBlock block = picture.CopyToGlobalHandle();
    ASSERT_EQ(block.size(), picture.GetSize());
    EXPECT_EQ(0, std::memcmp(block.data(), picture.GetDib(), block.size()));
    EXPECT_EQ(block[0], 40);
}

TEST(PictureExport, CreateFromBitmapConvertsDepths)
{
    const std::uint8_t rows24[2][8] = {{1, 2, 3, 4, 5, 6, 0, 0}, {7, 8, 9, 10, 11, 12, 0, 0}};
    BitmapDescription bitmap{2, 2, 24, 8, true, &rows24[0][0], nullptr, 0};
    Picture picture;
    ASSERT_TRUE(picture.CreateFromBitmap(&bitmap));
    EXPECT_EQ(picture.GetBpp(), 24u);
    // Top-down source: its first row is the picture's top, which is stored last.
    EXPECT_EQ(picture.GetPixelColor(0, 1), Rgb(3, 2, 1));
    EXPECT_EQ(picture.GetPixelColor(1, 0), Rgb(12, 11, 10));

    const std::uint8_t rows32[8] = {1, 2, 3, 0xFF, 4, 5, 6, 0xFF};
    BitmapDescription wide{2, 1, 32, 8, false, rows32, nullptr, 0};
    ASSERT_TRUE(picture.CreateFromBitmap(&wide));
    EXPECT_EQ(picture.GetBpp(), 24u);
    EXPECT_EQ(picture.GetPixelColor(1, 0), Rgb(6, 5, 4));

    const std::uint16_t rows16[2] = {0x7C00, 0x001F};
    BitmapDescription high{2, 1, 16, 4, false, reinterpret_cast<const std::uint8_t*>(rows16), nullptr, 0};
    ASSERT_TRUE(picture.CreateFromBitmap(&high));
    EXPECT_EQ(picture.GetPixelColor(0, 0), Rgb(248, 0, 0));
    EXPECT_EQ(picture.GetPixelColor(1, 0), Rgb(0, 0, 248));

    const RgbQuad palette[2] = {Rgb(0, 0, 0), Rgb(255, 0, 0)};
    const std::uint8_t rows1[4] = {0x40, 0, 0, 0};
    BitmapDescription mono{3, 1, 1, 4, false, rows1, palette, 2};
    ASSERT_TRUE(picture.CreateFromBitmap(&mono));
    EXPECT_EQ(picture.GetBpp(), 1u);
    EXPECT_EQ(picture.GetPixelColor(1, 0), Rgb(255, 0, 0));
    EXPECT_EQ(picture.GetPixelColor(0, 0), Rgb(0, 0, 0));
}

TEST(PictureExport, CreateFromBitmapFailures)
{
    Picture picture(2, 2, 24);
    EXPECT_FALSE(picture.CreateFromBitmap(nullptr));
    EXPECT_FALSE(picture.IsValid());

    BitmapDescription noBits{2, 2, 24, 8, false, nullptr, nullptr, 0};
    EXPECT_FALSE(picture.CreateFromBitmap(&noBits));
    EXPECT_STREQ(picture.GetLastError(), "GetDIBits failed");

    const std::uint8_t row[4] = {};
    BitmapDescription shortRows{4, 1, 24, 4, false, row, nullptr, 0};
    EXPECT_FALSE(picture.CreateFromBitmap(&shortRows));

    BitmapDescription huge{1 << 20, 1 << 20, 24, 1 << 22, false, row, nullptr, 0};
    EXPECT_FALSE(picture.CreateFromBitmap(&huge));
    EXPECT_FALSE(picture.IsValid());
}

} // namespace
