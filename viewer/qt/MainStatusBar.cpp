#include "MainStatusBar.h"

#include <QFontMetrics>
#include <QLabel>

namespace qtui {

namespace {

// Room around the text inside a part, as a status bar of the desktop leaves it.
constexpr int kTextPadding = 8;
// The first part is 110 pixels wide, made for a small 8-point font: a photo's size must fit.
constexpr char kWidestInfo[] = "0000 x 0000 x 24bpp";
constexpr int kInfoWidth = 110;
constexpr qreal kSmallestPointSize = 6;

QFont FittingFont(QFont font)
{
    while (font.pointSizeF() > kSmallestPointSize &&
           QFontMetrics(font).horizontalAdvance(QLatin1String(kWidestInfo)) > kInfoWidth - kTextPadding)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

} // namespace

MainStatusBar::MainStatusBar(QWidget* parent) : QWidget(parent)
{
    setFont(FittingFont(font()));
    setFixedHeight(fontMetrics().height() + kTextPadding);
}

int MainStatusBar::GetHeight() const
{
    return height();
}

// The main window's layout keeps the bar along its bottom edge at the window's width, which is
// where the browser asks for it.
void MainStatusBar::Place(const platform::WindowRect&) {}

void MainStatusBar::SetParts(const int* rightEdges, int count)
{
    edges.assign(rightEdges, rightEdges + (count > 0 ? count : 0));
    while (int(parts.size()) < int(edges.size())) {
        auto* label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setIndent(2);
        label->setTextFormat(Qt::PlainText);
        label->show();
        parts.push_back(label);
    }
    while (parts.size() > edges.size()) {
        delete parts.back();
        parts.pop_back();
    }
    Arrange();
}

void MainStatusBar::SetText(int part, const char* text)
{
    if (part < 0 || part >= int(parts.size())) return;
    parts[std::size_t(part)]->setText(QString::fromLocal8Bit(text ? text : ""));
}

QString MainStatusBar::GetText(int part) const
{
    if (part < 0 || part >= int(parts.size())) return {};
    return parts[std::size_t(part)]->text();
}

QRect MainStatusBar::GetPartRect(int part) const
{
    if (part < 0 || part >= int(parts.size())) return {};
    return parts[std::size_t(part)]->geometry();
}

void MainStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Arrange();
}

void MainStatusBar::Arrange()
{
    int left = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const int right = edges[i] < 0 ? width() : std::min(edges[i], width());
        parts[i]->setGeometry(left, 0, std::max(0, right - left), height());
        left = std::max(left, right);
    }
}

} // namespace qtui
