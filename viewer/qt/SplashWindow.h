// The borderless splash and About window: the artwork drawn through RasterDC with the three
// text lines on top, closed by its one-second timer or by a click or key.
#pragma once

#include "SplashScreen.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace qtui {

class SplashWindow : public QWidget {
    Q_OBJECT

public:
    // splash must be prepared and outlive the window.
    explicit SplashWindow(splash::SplashScreen& splash);

    // The window's content as painted: artwork and text.
    QImage Render() const;

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTick();

    splash::SplashScreen& splash;
    QTimer timer;
};

// Writes one line of text in black bold Arial, its cell's top at line.y.
void DrawSplashText(QImage& image, const splash::TextLine& line);

// Shows the window and returns when it has closed; false when the artwork cannot be used.
bool ShowSplash(const splash::Params& params);

// The program's own splash (timeout 5 at start-up) or About box (timeout 0).
bool ShowProgramSplash(int timeout);

} // namespace qtui
