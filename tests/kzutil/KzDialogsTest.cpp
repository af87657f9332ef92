#include "Kzutil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "kzutil_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Runs act on the next modal dialog of type D once it is shown (from a timer, as a user would).
template <typename D>
void WhenShown(std::function<void(D*)> act)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no dialog appeared";
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        }
    });
    timer->start(10);
}

class KzDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        WriteFile(dir_.file("a.jpg"), std::string("x"));
        WriteFile(dir_.file("b.png"), std::string("x"));
        std::filesystem::create_directory(dir_.path() / "sub");
    }
    TempDir dir_;
};

const char kFilters[] = "JPEG images\0*.jpg;*.jpeg\0PNG images\0*.png\0All Files\0*.*\0";

} // namespace

TEST_F(KzDialogs, OpenDialogReturnsPathAndChosenFilter)
{
    CKzDialogs dialogs;
    EXPECT_TRUE(dialogs.SetFileMask(std::string(kFilters, sizeof kFilters).c_str()));
    EXPECT_FALSE(dialogs.SetFilterIndex(-1));
    EXPECT_TRUE(dialogs.SetFilterIndex(0));
    EXPECT_FALSE(dialogs.SetFilterIndex(-1));
    EXPECT_EQ(dialogs.GetFilterIndex(), 0);
    EXPECT_TRUE(dialogs.SetInitialDir(dir_.path().c_str()));

    QStringList shownFilters;
    QString shownDir, initialFilter;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        shownFilters = d->nameFilters();
        initialFilter = d->selectedNameFilter();
        shownDir = d->directory().absolutePath();
        d->selectNameFilter(shownFilters[1]);
        d->selectFile(QString::fromStdString(dir_.file("b.png")));
        static_cast<QDialog*>(d)->accept(); // as the OK button does
    });
    char path[260] = "";
    ASSERT_TRUE(dialogs.BrowseForFileOpen(path));
    EXPECT_EQ(std::string(path), dir_.file("b.png"));
    EXPECT_EQ(dialogs.GetFilterIndex(), 1);
    EXPECT_EQ(shownFilters, (QStringList{"JPEG images (*.jpg *.jpeg)", "PNG images (*.png)", "All Files (*)"}));
    EXPECT_EQ(initialFilter, shownFilters[0]);
    EXPECT_EQ(shownDir, QString::fromStdString(dir_.path().string()));

    // The next dialog opens on the filter chosen last.
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        initialFilter = d->selectedNameFilter();
        d->reject();
    });
    EXPECT_FALSE(dialogs.BrowseForFileOpen(path));
    EXPECT_EQ(initialFilter, "PNG images (*.png)");
    EXPECT_EQ(std::string(path), dir_.file("b.png"));
    EXPECT_FALSE(dialogs.BrowseForFileOpen(nullptr));
}

TEST_F(KzDialogs, DefaultFilterAndSaveDialog)
{
    CKzDialogs dialogs;
    QStringList shownFilters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        shownFilters = d->nameFilters();
        mode = d->acceptMode();
        d->selectFile(QString::fromStdString(dir_.file("new.bmp")));
        static_cast<QDialog*>(d)->accept(); // as the OK button does
    });
    char path[260] = "";
    ASSERT_TRUE(dialogs.BrowseForFileSaveAs(path));
    EXPECT_EQ(std::string(path), dir_.file("new.bmp"));
    EXPECT_EQ(shownFilters, QStringList{"All Files (*)"});
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_EQ(dialogs.GetFilterIndex(), 0);
}

TEST_F(KzDialogs, FolderChooserPreselectsTheInitialDirectory)
{
    CKzDialogs dialogs;
    std::string sub = (dir_.path() / "sub").string();
    dialogs.SetInitialDir(sub.c_str());
    QString title;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        static_cast<QDialog*>(d)->accept(); // as the OK button does
    });
    char path[260] = "";
    ASSERT_TRUE(dialogs.BrowseForDir(path));
    EXPECT_EQ(std::string(path), sub + "/");
    EXPECT_EQ(title, "Choose a folder:");
    EXPECT_STREQ(dialogs.GetInitialDir(), sub.c_str());

    CKzDialogs copy(dialogs);
    EXPECT_STREQ(copy.GetInitialDir(), sub.c_str());
}

TEST_F(KzDialogs, ColourChooserUsesRedInTheLowByte)
{
    CKzDialogs dialogs;
    unsigned long rgb = 0x00332211; // red 0x11, green 0x22, blue 0x33
    QColor initial;
    QColor custom;
    WhenShown<QColorDialog>([&](QColorDialog* d) {
        initial = d->currentColor();
        custom = QColorDialog::customColor(15);
        d->setCurrentColor(QColor(0xAA, 0xBB, 0xCC));
        static_cast<QDialog*>(d)->accept(); // as the OK button does
    });
    ASSERT_TRUE(dialogs.SelectColor(rgb));
    EXPECT_EQ(initial, QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(custom, QColor(255, 255, 255));
    EXPECT_EQ(rgb, 0x00CCBBAAul);

    WhenShown<QColorDialog>([](QColorDialog* d) { d->reject(); });
    EXPECT_FALSE(dialogs.SelectColor(rgb));
    EXPECT_EQ(rgb, 0x00CCBBAAul);
}
