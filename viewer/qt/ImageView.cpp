#include "ImageView.h"

#include "RasterDC.h"
#include "ViewPainter.h"

#include <QPainter>

namespace qtui {

ImageView::ImageView(ImageBrowser& shown, QWidget* parent) : QWidget(parent), browser(shown)
{
    // Every paint covers the whole area, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage ImageView::Render() const
{
    QImage image(size(), QImage::Format_RGB32);
    if (image.isNull()) return image;
    RasterDC dc(image.bits(), image.width(), image.height(), int(image.bytesPerLine()));
    PaintView(browser, dc);
    return image;
}

void ImageView::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, Render());
}

} // namespace qtui
