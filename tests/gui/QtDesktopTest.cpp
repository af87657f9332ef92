#include "GuiSupport.h"
#include "QtDesktop.h"
#include "QtWindow.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using guitest::WhenShown;
using platform::CursorShape;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

class StubWindow : public platform::Window {
public:
    platform::WindowRect GetOuterRect() const override { return {}; }
    platform::WindowRect GetRestoredRect() const override { return {}; }
    void SetOuterRect(const platform::WindowRect&) override {}
    void SetFixedSize(int, int) override {}
    void SetTitle(const char*) override {}
    bool HasMenuBar() const override { return false; }
    void RequestRepaint() override {}
    void Quit() override {}
};

// A main window that is itself the widget.
class WidgetWindow : public QWidget, public StubWindow {};

void RejectBoxes()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget)) box->reject();
}

QPushButton* Button(QMessageBox* box, QMessageBox::StandardButton which)
{
    return qobject_cast<QPushButton*>(box->button(which));
}

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    bool waitCursor = false;
};

// Shows a box and answers it with act once it is up, recording what it showed.
MessageAnswer Answer(platform::QtDesktop& desktop, const platform::Window* owner, const char* caption,
                     const char* text, MessageIcon icon, MessageButtons buttons,
                     const std::function<void(QMessageBox*)>& act, SeenBox* seen = nullptr)
{
    WhenShown<QMessageBox>(
        [act, seen](QMessageBox* box) {
            // On a real X server keys and mnemonics reach the box only once it is the active window.
            EXPECT_TRUE(QTest::qWaitForWindowActive(box, 2000));
            if (seen) {
                *seen = {box->windowTitle(), box->text(), box->icon(), box->parentWidget(),
                         QApplication::overrideCursor() != nullptr};
                // The text is shown as it is, never read as markup.
                EXPECT_EQ(box->textFormat(), Qt::PlainText);
            }
            act(box);
            // A box the action left open fails the test instead of waiting for ever.
            QTimer::singleShot(5000, box, [box] {
                if (!box->isVisible()) return;
                ADD_FAILURE() << "the box stayed open";
                box->reject();
            });
        },
        RejectBoxes);
    return desktop.ShowMessage(owner, caption, text, icon, buttons);
}

} // namespace

TEST(QtDesktop, ScreenIsTheAvailableAreaAndFramesAreThoseOfADesktop)
{
    platform::QtDesktop desktop;
    const platform::ScreenMetrics metrics = desktop.GetScreenMetrics();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(metrics.screenWidth, area.width());
    EXPECT_EQ(metrics.screenHeight, area.height());
    // The offscreen platform draws no window manager frame: a desktop's stand in.
    EXPECT_EQ(metrics.frameWidth, 4);
    EXPECT_EQ(metrics.frameHeight, 4);
    EXPECT_GT(metrics.captionHeight, 10);

    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.menuBar()->addMenu(QStringLiteral("&View"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const platform::ScreenMetrics shown = desktop.GetScreenMetrics();
    EXPECT_EQ(shown.menuHeight, window.menuBar()->height());
    EXPECT_EQ(shown.captionHeight, metrics.captionHeight);
}

TEST(QtDesktop, WaitCursorShowsAtOnceAndLastsUntilTheOutermostWaitEnds)
{
    platform::QtDesktop desktop;
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    desktop.SetCursor(CursorShape::Wait);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    desktop.SetCursor(CursorShape::Wait);
    desktop.SetCursor(CursorShape::Arrow);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    desktop.SetCursor(CursorShape::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // An arrow without a wait leaves a cursor that someone else set.
    QApplication::setOverrideCursor(Qt::CrossCursor);
    desktop.SetCursor(CursorShape::Arrow);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
}

TEST(QtDesktop, MessageBoxShowsCaptionTextAndIconAsGiven)
{
    platform::QtDesktop desktop;
    SeenBox seen;
    const MessageAnswer answer =
        Answer(desktop, nullptr, "Vistrel", "Could not load the image '<b>x</b>.jpg'.\nSecond line", MessageIcon::Error,
               MessageButtons::Ok, [](QMessageBox* box) { Button(box, QMessageBox::Ok)->click(); }, &seen);
    EXPECT_EQ(answer, MessageAnswer::Ok);
    EXPECT_EQ(seen.caption, QStringLiteral("Vistrel"));
    EXPECT_EQ(seen.text, QStringLiteral("Could not load the image '<b>x</b>.jpg'.\nSecond line"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.parent, nullptr);

    Answer(desktop, nullptr, "Vistrel", "warning", MessageIcon::Warning, MessageButtons::Ok,
           [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, &seen);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    Answer(desktop, nullptr, nullptr, nullptr, MessageIcon::None, MessageButtons::Ok,
           [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, &seen);
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_TRUE(seen.caption.isEmpty());
}

TEST(QtDesktop, YesNoAnswersAsClickedAndEscapeSaysNo)
{
    platform::QtDesktop desktop;
    const auto ask = [&](const std::function<void(QMessageBox*)>& act) {
        return Answer(desktop, nullptr, "Vistrel", "Restore?", MessageIcon::Warning, MessageButtons::YesNo, act);
    };
    EXPECT_EQ(ask([](QMessageBox* box) { Button(box, QMessageBox::Yes)->click(); }), MessageAnswer::Yes);
    EXPECT_EQ(ask([](QMessageBox* box) { Button(box, QMessageBox::No)->click(); }), MessageAnswer::No);
    EXPECT_EQ(ask([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }), MessageAnswer::No);
    EXPECT_EQ(ask([](QMessageBox* box) { box->close(); }), MessageAnswer::No);
    EXPECT_EQ(ask([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }), MessageAnswer::Yes);
    EXPECT_EQ(ask([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_N, Qt::AltModifier); }), MessageAnswer::No);
}

TEST(QtDesktop, BoxStandsOverItsOwnerWindow)
{
    platform::QtDesktop desktop;
    SeenBox seen;
    const auto ok = [](QMessageBox* box) { Button(box, QMessageBox::Ok)->click(); };

    WidgetWindow widgetWindow;
    Answer(desktop, &widgetWindow, "Vistrel", "text", MessageIcon::Information, MessageButtons::Ok, ok, &seen);
    EXPECT_EQ(seen.parent, &widgetWindow);

    StubWindow plain;
    EXPECT_EQ(platform::AsWidget(&plain), nullptr);
    EXPECT_EQ(platform::AsWidget(nullptr), nullptr);
}

TEST(QtDesktop, WaitCursorPausesWhileABoxWaitsForTheUser)
{
    platform::QtDesktop desktop;
    desktop.SetCursor(CursorShape::Wait);
    SeenBox seen;
    Answer(desktop, nullptr, "Vistrel", "text", MessageIcon::Information, MessageButtons::Ok,
           [](QMessageBox* box) { Button(box, QMessageBox::Ok)->click(); }, &seen);
    EXPECT_FALSE(seen.waitCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    desktop.SetCursor(CursorShape::Arrow);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
