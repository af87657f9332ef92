#include "SplashWindow.h"

#include "BitmapResource.h"
#include "RasterDC.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <cmath>

namespace qtui {

namespace {

constexpr char kSplashBitmap[] = ":/vistrel/splash.bmp";

// A pixel size whose ascent plus descent fills the cell height, as a font asked for by cell
// height is measured.
QFont CellHeightFont(int height)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(height);
    const qreal cell = QFontMetricsF(font).height();
    if (cell > 0) font.setPixelSize(std::max(1, int(std::lround(height * height / cell))));
    return font;
}

} // namespace

SplashWindow::SplashWindow(splash::SplashScreen& content)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), splash(content)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QString::fromUtf8(splash.GetLines()[0].text));
    setFixedSize(splash.GetWidth(), splash.GetHeight());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize();
    const splash::Position at = splash.CentreOn(screenSize.width(), screenSize.height());
    move(at.x, at.y);

    if (splash.UsesTimer()) {
        connect(&timer, &QTimer::timeout, this, &SplashWindow::OnTick);
        timer.start(splash::kTimerPeriodMs);
    }
}

QImage SplashWindow::Render() const
{
    QImage image(splash.GetWidth(), splash.GetHeight(), QImage::Format_RGB32);
    image.fill(palette().window().color());
    RasterDC dc(image.bits(), image.width(), image.height(), int(image.bytesPerLine()));
    splash.Paint(dc);
    for (const splash::TextLine& line : splash.GetLines()) DrawSplashText(image, line);
    return image;
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, Render());
}

void SplashWindow::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (splash.OnClickOrKey()) close();
}

void SplashWindow::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    if (splash.OnClickOrKey()) close();
}

void SplashWindow::closeEvent(QCloseEvent* event)
{
    timer.stop();
    event->accept();
    emit closed();
}

void SplashWindow::OnTick()
{
    if (splash.OnTimerTick()) close();
}

void DrawSplashText(QImage& image, const splash::TextLine& line)
{
    if (!line.IsDrawable()) return;
    const QFont font = CellHeightFont(line.height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(line.x, line.y + QFontMetricsF(font).ascent()), QString::fromUtf8(line.text));
}

bool ShowSplash(const splash::Params& params)
{
    splash::SplashScreen splash;
    if (!splash.Prepare(params)) return false;

    SplashWindow window(splash);
    QEventLoop loop;
    QObject::connect(&window, &SplashWindow::closed, &loop, &QEventLoop::quit);
    window.show();
    window.raise();
    window.activateWindow();
    window.setFocus();
    loop.exec();
    return true;
}

bool ShowProgramSplash(int timeout)
{
    QFile file(QString::fromLatin1(kSplashBitmap));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    BitmapDescription bitmap;
    const bool found = resources::DescribeBitmapFile(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                     std::size_t(bytes.size()), bitmap);
    splash::Params params;
    params.bitmap = found ? &bitmap : nullptr;
    params.timeout = timeout;
    params.line1 = splash::kLine1;
    params.line2 = splash::kLine2;
    params.line3 = splash::kLine3;
    return ShowSplash(params);
}

} // namespace qtui
