// The status bar along the bottom of the main window: parts that end at fixed right edges,
// each showing one line of text in a sunken box.
#pragma once

#include "Window.h"

#include <QWidget>

#include <vector>

class QLabel;

namespace qtui {

class MainStatusBar : public QWidget, public platform::StatusBar {
    Q_OBJECT

public:
    explicit MainStatusBar(QWidget* parent);

    int GetHeight() const override;
    void Place(const platform::WindowRect& rect) override;
    void SetParts(const int* rightEdges, int count) override;
    void SetText(int part, const char* text) override;

    QString GetText(int part) const;
    // Where a part lies inside the bar.
    QRect GetPartRect(int part) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();

    std::vector<int> edges;
    std::vector<QLabel*> parts;
};

} // namespace qtui
