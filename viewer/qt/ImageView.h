// The main window's image area: painted by the toolkit-free view painter into a buffer of the
// area's size, which is then put on the screen in one piece.
#pragma once

#include <QImage>
#include <QWidget>

class ImageBrowser;

namespace qtui {

class ImageView : public QWidget {
    Q_OBJECT

public:
    ImageView(ImageBrowser& browser, QWidget* parent);

    // The area as painted now: background, image and frame.
    QImage Render() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ImageBrowser& browser;
};

} // namespace qtui
