// Orient at every depth: the camera photos of the corpus check the 24-bit turns against
// ImageMagick (tests/viewer); here the other depths and the alpha plane must turn alike.
#include "Picture.h"

#include <gtest/gtest.h>

TEST(PictureOrient, EveryDepthAndTheAlphaPlaneTurnAsTwentyFourBitsDo)
{
    constexpr int kWidth = 5, kHeight = 3;
    for (const std::uint32_t bpp : {1u, 4u, 8u}) {
        Picture indexed(kWidth, kHeight, bpp);
        const int colours = 1 << bpp;
        for (int i = 0; i < colours; ++i) indexed.SetPaletteEntry(i, std::uint8_t(i * 7), std::uint8_t(i), 200);
        ASSERT_TRUE(indexed.AlphaCreate());
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const int index = (x + 2 * y) % colours;
                indexed.SetPixelIndex(x, y, std::uint8_t(index));
                indexed.AlphaSet(x, y, std::uint8_t(index * 7));
            }
        for (int orientation = 0; orientation <= 9; ++orientation) {
            Picture turned(indexed);
            Picture truth(indexed);
            ASSERT_TRUE(truth.IncreaseBpp(24));
            ASSERT_TRUE(turned.Orient(orientation));
            ASSERT_TRUE(truth.Orient(orientation));
            const bool swapped = orientation >= 5 && orientation <= 8;
            ASSERT_EQ(turned.GetWidth(), swapped ? kHeight : kWidth);
            ASSERT_EQ(turned.GetBpp(), bpp);
            ASSERT_EQ(truth.GetWidth(), turned.GetWidth());
            for (int y = 0; y < turned.GetHeight(); ++y)
                for (int x = 0; x < turned.GetWidth(); ++x) {
                    const RgbQuad colour = turned.GetPixelColor(x, y);
                    EXPECT_EQ(colour.Value() & 0xFFFFFF, truth.GetPixelColor(x, y).Value() & 0xFFFFFF)
                        << bpp << " bits, orientation " << orientation << " at " << x << "," << y;
                    EXPECT_EQ(turned.AlphaGet(x, y), colour.red) << bpp << " bits, orientation " << orientation;
                }
        }
    }
}
