#include "GuiSupport.h"
#include "Picture.h"
#include "QtClipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QEventLoop>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstring>

namespace {

// A picture whose every pixel differs from its neighbours, so that a row or column that ends up
// anywhere else shows.
Picture Pattern(std::uint32_t bits, int width, int height)
{
    Picture picture(width, height, bits);
    for (std::uint32_t i = 0; bits <= 8 && i < (1u << bits); ++i)
        picture.SetPaletteEntry(i, std::uint8_t(i * 37), std::uint8_t(255 - i * 11), std::uint8_t(i * 5 + 3));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (bits <= 8) {
                picture.SetPixelColor(x, y, picture.GetPaletteColor(std::uint32_t(x * 3 + y * 7) % (1u << bits)));
            } else {
                picture.SetPixelColor(x, y, RgbQuad{std::uint8_t(x * 9), std::uint8_t(y * 13), std::uint8_t(x ^ y), 0});
            }
        }
    return picture;
}

// Every pixel of image against the picture (whose first row is the bottom one).
::testing::AssertionResult SamePixels(const QImage& image, const Picture& picture)
{
    if (image.width() != picture.GetWidth() || image.height() != picture.GetHeight())
        return ::testing::AssertionFailure() << "size " << image.width() << " x " << image.height();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const RgbQuad want = picture.GetPixelColor(x, picture.GetHeight() - 1 - y);
            const QRgb got = image.pixel(x, y);
            if (qRed(got) != want.red || qGreen(got) != want.green || qBlue(got) != want.blue)
                return ::testing::AssertionFailure() << "pixel " << x << ", " << y;
        }
    return ::testing::AssertionSuccess();
}

void PutText(const char* text)
{
    QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
}

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value)
{
    std::memcpy(block.data() + at, &value, 4);
}

} // namespace

TEST(QtClipboard, OffersPngAndBmpThatDecodeToThePicture)
{
    platform::QtClipboard clipboard;
    for (const std::uint32_t bits : {1u, 4u, 8u, 24u}) {
        SCOPED_TRACE(bits);
        // An odd width pads every row.
        const Picture picture = Pattern(bits, 37, 11);
        const std::vector<std::uint8_t> dib = picture.CopyToGlobalHandle();
        ASSERT_TRUE(clipboard.SetImage(dib));

        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
        ASSERT_TRUE(data->hasFormat(QStringLiteral("image/bmp")));
        const QByteArray bmp = data->data(QStringLiteral("image/bmp"));
        ASSERT_EQ(bmp.size(), qsizetype(dib.size() + 14));
        EXPECT_TRUE(bmp.startsWith("BM"));
        EXPECT_EQ(std::memcmp(bmp.constData() + 14, dib.data(), dib.size()), 0);

        EXPECT_TRUE(SamePixels(QImage::fromData(data->data(QStringLiteral("image/png")), "PNG"), picture));
        EXPECT_TRUE(SamePixels(QImage::fromData(bmp, "BMP"), picture));
        EXPECT_TRUE(SamePixels(qvariant_cast<QImage>(data->imageData()), picture));
    }
}

TEST(QtClipboard, RefusesABlockThatIsNoWholeDibAndKeepsTheClipboard)
{
    platform::QtClipboard clipboard;
    const std::vector<std::uint8_t> good = Pattern(8, 20, 10).CopyToGlobalHandle();

    std::vector<std::vector<std::uint8_t>> bad;
    bad.emplace_back();
    bad.emplace_back(good.begin(), good.begin() + 39);
    bad.emplace_back(good.begin(), good.end() - 1);
    for (const auto& [at, value] : std::vector<std::pair<std::size_t, std::uint32_t>>{
             {0, 12},           // an OS/2 header size
             {0, 0x7fffffff},   // header beyond the block
             {4, 0},            // no width
             {4, 0x80000000},   // negative width
             {8, 0},            // no height
             {8, 0xfffffff6},   // rows top-down
             {8, 0x00100000},   // rows that are not there
             {16, 1},           // run-length compressed
             {32, 257},         // more colours than 8 bits hold
         }) {
        bad.push_back(good);
        Put32(bad.back(), at, value);
    }
    bad.push_back(good);
    bad.back()[14] = 32;

    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        PutText("kept");
        EXPECT_FALSE(clipboard.SetImage(bad[i]));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }
}

TEST(QtClipboard, IndicesBeyondAShortPaletteShowBlack)
{
    // 4 x 1 pixels of 8 bits, two palette entries (red, green), indices 0, 1, 2, 255.
    std::vector<std::uint8_t> dib(40 + 2 * 4 + 4, 0);
    Put32(dib, 0, 40);
    Put32(dib, 4, 4);
    Put32(dib, 8, 1);
    dib[12] = 1;
    dib[14] = 8;
    Put32(dib, 32, 2);
    Put32(dib, 40, 0x00ff0000);
    Put32(dib, 44, 0x0000ff00);
    Put32(dib, 48, 0xff020100);
    ASSERT_TRUE(platform::QtClipboard().SetImage(dib));
    const QImage image =
        QImage::fromData(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png")), "PNG");
    ASSERT_EQ(image.size(), QSize(4, 1));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 0));
}

// Another program reads the clipboard through a real X server: run under Xvfb with the xcb
// platform (the offscreen platform keeps its clipboard inside the process).
TEST(QtClipboardX11, OtherProgramsSeeAndPasteTheImage)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "needs an X server";
    const QString xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (xclip.isEmpty()) GTEST_SKIP() << "xclip is not installed";

    platform::QtClipboard clipboard;
    const Picture picture = Pattern(24, 33, 17);
    ASSERT_TRUE(clipboard.SetImage(picture.CopyToGlobalHandle()));

    // xclip asks this process for the data: keep the event loop running while it waits.
    const auto read = [&](const QString& target) {
        QProcess process;
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        process.start(xclip, {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"), target,
                              QStringLiteral("-o")});
        loop.exec();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        return process.readAllStandardOutput();
    };
    const QByteArray targets = read(QStringLiteral("TARGETS"));
    EXPECT_TRUE(targets.contains("image/png")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("image/bmp")) << targets.toStdString();
    EXPECT_TRUE(SamePixels(QImage::fromData(read(QStringLiteral("image/png")), "PNG"), picture));
    EXPECT_TRUE(SamePixels(QImage::fromData(read(QStringLiteral("image/bmp")), "BMP"), picture));
}
