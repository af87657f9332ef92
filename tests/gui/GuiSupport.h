// Helpers for the tests that drive real Qt windows in the offscreen platform.
#pragma once

#include "Picture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <ostream>

// Readable Qt texts in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace guitest {

// One application for the whole test program. It ends in the test environment's tear-down:
// left to static destruction it would outlive parts of Qt that its children still use.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
    void TearDown() override { app.reset(); }

private:
    int argc = 1;
    char name[18] = "vistrel_gui_tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

inline ::testing::Environment* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// The first visible top-level widget of type W, or null.
template <typename W>
W* FindShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<W*>(widget); found && found->isVisible()) return found;
    return nullptr;
}

// Runs act on the first visible window of type W once it is shown (polled from a timer, as a
// user would act on it). When none shows up, the test fails and closeAll ends what runs.
template <typename W>
void WhenShown(std::function<void(W*)> act, std::function<void()> closeAll)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, closeAll, tries] {
        if (W* window = FindShown<W>()) {
            timer->stop();
            timer->deleteLater();
            act(window);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no window appeared";
            closeAll();
        }
    });
    timer->start(10);
}

// A 24-bit bitmap file of one colour.
inline void WriteSolidBitmap(const std::string& path, int width, int height, ColorRef colour)
{
    Picture picture(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.SetPixelColor(x, y, colour);
    ASSERT_TRUE(picture.Save(path, ImageFormat::Bmp)) << picture.GetLastError();
}

} // namespace guitest
