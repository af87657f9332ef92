#include "AppContext.h"
#include "CommandHandler.h"
#include "CommandIds.h"
#include "ExifDialog.h"
#include "FakeViewer.h"
#include "GuiSupport.h"
#include "ImageBrowser.h"
#include "ImageView.h"
#include "Kzutil.h"
#include "MainStatusBar.h"
#include "OptionsDialog.h"
#include "QtClipboard.h"
#include "QtDesktop.h"
#include "TestSupport.h"
#include "ThumbnailPageBuilder.h"
#include "TitleAndStatus.h"
#include "ViewerWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using guitest::WhenShown;

namespace {

const char* const kUser = "HKEY_CURRENT_USER";
const char* const kAppKey = "Software\\Marvensk\\Vistrel";

// The program's main window as start-up makes it, on the Qt desktop and clipboard, over a
// private settings store. The shell only records what it was asked to start.
class ViewerWindowTest : public ::testing::Test {
protected:
    testsupport::TempDir store;
    testsupport::TempDir temp;
    platform::QtDesktop desktop;
    platform::QtClipboard clipboard;
    testsupport::FakeShell shell;
    AppContext app;
    ImageBrowser browser{desktop};
    ThumbnailPageBuilder builder{desktop};
    std::unique_ptr<qtui::ViewerWindow> viewer;
    std::filesystem::path startDirectory = std::filesystem::current_path();

    void SetUp() override
    {
        setenv("KZUTIL_REGISTRY_DIR", store.file("store").c_str(), 1);
        // The file dialogs remember the folder they were left in: not in the user's settings.
        setenv("XDG_CONFIG_HOME", store.file("config").c_str(), 1);
    }
    void TearDown() override
    {
        viewer.reset();
        std::filesystem::current_path(startDirectory);
        unsetenv("KZUTIL_REGISTRY_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }

    void Open()
    {
        viewer = std::make_unique<qtui::ViewerWindow>(app, browser, builder, desktop, clipboard, shell);
        ASSERT_TRUE(browser.SetWindows(&Window(), viewer->GetStatusBar()));
        Window().show();
        Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
        UpdateMenuState(viewer->GetMenuBar(), browser, builder, app);
        UpdateTitleAndStatus(browser, Window(), viewer->GetStatusBar());
    }

    qtui::MainWindow& Window() { return viewer->GetWindow(); }

    static void Install(const std::string& folder)
    {
        ASSERT_TRUE(CKzRegistry::SetValueString(kUser, kAppKey, "InstallPath", folder.c_str()));
    }
    static int Stored(const char* name)
    {
        int value = -99;
        CKzAppSettings("Vistrel").GetValueInt(name, value);
        return value;
    }

    std::string Dir() const { return temp.path().string() + "/"; }

    void WriteImage(const std::string& name, int width, int height, ColorRef colour = MakeColorRef(0, 128, 255))
    {
        guitest::WriteSolidBitmap(Dir() + name, width, height, colour);
    }
    void Age(const std::string& name, int hours)
    {
        std::filesystem::last_write_time(temp.path() / name,
                                         std::filesystem::file_time_type::clock::now() - std::chrono::hours(hours));
    }

    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&Window(), key, modifiers);
    }

    // Title and the four parts of the status bar.
    QStringList Shown() const
    {
        const qtui::MainStatusBar* bar = viewer->GetWindow().GetStatusBar();
        return {viewer->GetWindow().windowTitle(), bar->GetText(0), bar->GetText(1), bar->GetText(2), bar->GetText(3)};
    }
    QStringList Expected(const char* file, const char* size, const char* position) const
    {
        return {QStringLiteral("Vistrel [%1]").arg(QLatin1String(file)), QLatin1String(size), QStringLiteral("100%"),
                QLatin1String(position), QString::fromLocal8Bit(temp.path().string().c_str())};
    }
};

template <typename D>
void RejectAll()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<D*>(widget)) dialog->reject();
}

} // namespace

TEST_F(ViewerWindowTest, NavigationKeysUpdateTitleAndStatusAndWrapAround)
{
    WriteImage("a.bmp", 500, 400);
    WriteImage("b.bmp", 450, 380);
    WriteImage("c.bmp", 420, 360);
    Open();
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    UpdateTitleAndStatus(browser, Window(), viewer->GetStatusBar());
    EXPECT_EQ(Shown(), Expected("a.bmp", "500 x 400 x 24bpp", "1/3"));

    Press(Qt::Key_PageDown);
    EXPECT_EQ(Shown(), Expected("b.bmp", "450 x 380 x 24bpp", "2/3"));
    EXPECT_EQ(Window().GetView().size(), QSize(450, 380));
    Press(Qt::Key_Space);
    EXPECT_EQ(Shown(), Expected("c.bmp", "420 x 360 x 24bpp", "3/3"));
    Press(Qt::Key_PageDown);
    EXPECT_EQ(Shown(), Expected("a.bmp", "500 x 400 x 24bpp", "1/3")) << "wraps to the first";
    Press(Qt::Key_PageUp);
    EXPECT_EQ(Shown(), Expected("c.bmp", "420 x 360 x 24bpp", "3/3")) << "wraps to the last";
    Press(Qt::Key_Backspace);
    EXPECT_EQ(Shown(), Expected("b.bmp", "450 x 380 x 24bpp", "2/3"));
    Press(Qt::Key_Home);
    EXPECT_EQ(Shown(), Expected("a.bmp", "500 x 400 x 24bpp", "1/3"));
    Press(Qt::Key_End);
    EXPECT_EQ(Shown(), Expected("c.bmp", "420 x 360 x 24bpp", "3/3"));
    EXPECT_EQ(Window().GetView().size(), QSize(420, 360));

    Window().GetMenuAction(command::NextMenu)->trigger();
    EXPECT_EQ(Shown(), Expected("a.bmp", "500 x 400 x 24bpp", "1/3"));
}

TEST_F(ViewerWindowTest, WithoutAnImageTheImageItemsAreGreyAndTheirKeysDoNothing)
{
    Open();
    for (int id : {command::SaveAs, command::ThumbnailPage, command::Copy, command::NextMenu, command::PreviousMenu,
                   command::FirstMenu, command::LastMenu, command::ExifInformation, command::RefreshMenu,
                   command::EditTemplate, command::HelpTopics})
        EXPECT_FALSE(Window().GetMenuAction(id)->isEnabled()) << id;
    for (int id : {command::Open, command::BrowseFolder, command::Exit, command::RestoreTemplate, command::Options,
                   command::About})
        EXPECT_TRUE(Window().GetMenuAction(id)->isEnabled()) << id;

    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End, Qt::Key_F5}) Press(key);
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Vistrel"));
    EXPECT_EQ(Window().GetStatusBar()->GetText(0), QString());

    WriteImage("a.bmp", 500, 400);
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    Press(Qt::Key_F5);
    EXPECT_TRUE(Window().GetMenuAction(command::NextMenu)->isEnabled());
    EXPECT_FALSE(Window().GetMenuAction(command::ExifInformation)->isEnabled()) << "a bitmap has no Exif data";
}

TEST_F(ViewerWindowTest, OptionsOkAppliesTheFrameAndTheSortAtOnce)
{
    Install(temp.path().string());
    WriteImage("a.bmp", 500, 400);
    WriteImage("b.bmp", 500, 400);
    WriteImage("c.bmp", 500, 400);
    Age("a.bmp", 2);
    Age("b.bmp", 1);
    Open();
    ASSERT_TRUE(browser.LoadFile((Dir() + "a.bmp").c_str()));
    ASSERT_EQ(Window().GetView().size(), QSize(500, 400));

    WhenShown<qtui::OptionsDialog>(
        [](qtui::OptionsDialog* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("drawBorder"))->click();
            dialog->findChild<QCheckBox*>(QStringLiteral("sortOnDate"))->click();
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text() == QStringLiteral("OK")) button->click();
        },
        RejectAll<qtui::OptionsDialog>);
    Press(Qt::Key_F4);

    EXPECT_EQ(Window().GetView().size(), QSize(518, 418));
    EXPECT_EQ(Shown(), Expected("a.bmp", "500 x 400 x 24bpp", "3/3")) << "newest first: the oldest comes last";
    EXPECT_EQ(Stored("DrawBorder"), 1);
    EXPECT_EQ(Stored("SortImagesOnDate"), 1);
}

TEST_F(ViewerWindowTest, ExifDialogShowsTheCameraReport)
{
    VISTREL_REQUIRE_CORPUS(corpus, "exif/exif-samples");
    std::filesystem::copy_file(corpus / "Canon_40D.jpg", temp.path() / "Canon_40D.jpg");
    Open();
    ASSERT_TRUE(browser.LoadFile((Dir() + "Canon_40D.jpg").c_str()));
    Press(Qt::Key_F5);
    EXPECT_TRUE(Window().GetMenuAction(command::ExifInformation)->isEnabled());

    QString text;
    WhenShown<qtui::ExifDialog>(
        [&](qtui::ExifDialog* dialog) {
            text = dialog->GetText();
            dialog->accept();
        },
        RejectAll<qtui::ExifDialog>);
    Press(Qt::Key_I);
    EXPECT_TRUE(text.contains(QStringLiteral("Canon EOS 40D"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Manufacturer:"))) << text.toStdString();
}

TEST_F(ViewerWindowTest, CopyPutsTheImageOnTheClipboard)
{
    WriteImage("a.bmp", 40, 30, MakeColorRef(10, 200, 30));
    Open();
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    QGuiApplication::clipboard()->clear();
    Press(Qt::Key_C, Qt::ControlModifier);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    EXPECT_TRUE(data->hasFormat(QStringLiteral("image/bmp")));
    QImage png;
    ASSERT_TRUE(png.loadFromData(data->data(QStringLiteral("image/png")), "PNG"));
    EXPECT_EQ(png.size(), QSize(40, 30));
    EXPECT_EQ(QColor(png.pixel(0, 0)), QColor(10, 200, 30));
    EXPECT_EQ(QColor(png.pixel(39, 29)), QColor(10, 200, 30));
}

TEST_F(ViewerWindowTest, EscapeSavesThePositionAndQuits)
{
    Install(temp.path().string());
    Open();
    Window().move(37, 45);
    QSignalSpy quit(&Window(), &qtui::MainWindow::quitRequested);
    Press(Qt::Key_Escape);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(Stored("WindowPosX"), 37);
    EXPECT_EQ(Stored("WindowPosY"), 45);
    EXPECT_EQ(Stored("ShowMenuAndStatusToolbar"), 1);
}

TEST_F(ViewerWindowTest, CloseBoxSavesThePositionAndTheNextWindowStartsThere)
{
    Install(temp.path().string());
    Open();
    Window().move(61, 72);
    QSignalSpy quit(&Window(), &qtui::MainWindow::quitRequested);
    EXPECT_FALSE(Window().close());
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(Stored("WindowPosX"), 61);

    viewer.reset();
    Open();
    EXPECT_EQ(Window().pos(), QPoint(61, 72));
}

TEST_F(ViewerWindowTest, OpenDialogLoadsTheChosenFile)
{
    WriteImage("a.bmp", 500, 400);
    WriteImage("b.bmp", 450, 380);
    Open();
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    const std::string chosen = Dir() + "b.bmp";
    QString startedIn;
    WhenShown<QFileDialog>(
        [&](QFileDialog* dialog) {
            startedIn = dialog->directory().absolutePath();
            dialog->selectFile(QString::fromLocal8Bit(chosen.c_str()));
            static_cast<QDialog*>(dialog)->accept();
        },
        RejectAll<QFileDialog>);
    Press(Qt::Key_O);
    EXPECT_EQ(startedIn, QString::fromLocal8Bit(temp.path().string().c_str())) << "the shown folder";
    EXPECT_EQ(Shown(), Expected("b.bmp", "450 x 380 x 24bpp", "2/2"));
}

TEST_F(ViewerWindowTest, FailedSaveAsIsReportedWithTheFileAndTheReason)
{
    WriteImage("a.bmp", 50, 40);
    Open();
    ASSERT_TRUE(browser.LoadDirectory(Dir().c_str(), true));
    // A file cannot be a folder, not even for root.
    const QString target = QString::fromLocal8Bit((Dir() + "a.bmp/copy.bmp").c_str());
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenShown<QFileDialog>(
        [&](QFileDialog* dialog) {
            WhenShown<QMessageBox>(
                [&](QMessageBox* box) {
                    caption = box->windowTitle();
                    text = box->text();
                    icon = box->icon();
                    box->button(QMessageBox::Ok)->click();
                },
                RejectAll<QMessageBox>);
            dialog->selectFile(target);
            static_cast<QDialog*>(dialog)->accept();
        },
        RejectAll<QFileDialog>);
    Press(Qt::Key_S);
    EXPECT_EQ(caption, QStringLiteral("Vistrel"));
    const QString opening = QStringLiteral("Could not save the image '%1'.\n").arg(target);
    EXPECT_TRUE(text.startsWith(opening)) << text.toStdString();
    EXPECT_GT(text.size(), opening.size()) << "the reason follows";
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(Shown(), Expected("a.bmp", "50 x 40 x 24bpp", "1/1"));
}

TEST_F(ViewerWindowTest, ArrowKeysWalkToTheChildAndTheParentFolder)
{
    WriteImage("a.bmp", 500, 400);
    std::filesystem::create_directory(temp.path() / "sub");
    guitest::WriteSolidBitmap(Dir() + "sub/c.bmp", 420, 360, MakeColorRef(1, 2, 3));
    Open();
    ASSERT_TRUE(browser.LoadFile((Dir() + "a.bmp").c_str()));
    Press(Qt::Key_Right);
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Vistrel [c.bmp]"));
    EXPECT_EQ(Window().GetStatusBar()->GetText(3), QString::fromLocal8Bit((Dir() + "sub").c_str()));
    EXPECT_EQ(Window().GetView().size(), QSize(420, 360));
    Press(Qt::Key_Left);
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Vistrel [a.bmp]"));
}
