#include "ExifDialog.h"
#include "ExifText.h"
#include "GuiSupport.h"
#include "OptionsDialog.h"
#include "TestSupport.h"

#include "../kzutil/ExifBuilder.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <functional>
#include <set>

using guitest::WhenShown;
using qtui::ExifDialog;
using qtui::OptionsDialog;

namespace {

template <typename D>
void RejectAll()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<D*>(widget)) dialog->reject();
}

QPushButton* Button(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

bool Centred(const QWidget* dialog)
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QRect frame = dialog->frameGeometry();
    return frame.left() == (screen.width() - frame.width()) / 2 &&
           frame.top() == (screen.height() - frame.height()) / 2;
}

} // namespace

TEST(Dialogs, OptionsShowsTheFormAndOkReturnsTheChanges)
{
    options::Form form;
    form.showSplash = true;
    form.drawBorder = false;
    form.sortOnDate = true;
    form.width = "120";
    form.height = "20000";
    form.columns = "250";

    QStringList boxTexts;
    bool centred = false;
    bool okFocused = false;
    int heightShown = 0;
    WhenShown<OptionsDialog>(
        [&](OptionsDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Options"));
            EXPECT_TRUE(dialog->isModal());
            centred = Centred(dialog);
            okFocused = dialog->focusWidget() == Button(dialog, QStringLiteral("OK"));
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) boxTexts << box->text();

            auto* height = dialog->findChild<QSpinBox*>(QStringLiteral("thumbHeight"));
            auto* columns = dialog->findChild<QSpinBox*>(QStringLiteral("thumbColumns"));
            auto* width = dialog->findChild<QSpinBox*>(QStringLiteral("thumbWidth"));
            heightShown = height->value();
            height->stepUp();
            for (int i = 0; i < 10; ++i) QTest::keyClick(columns, Qt::Key_Up);
            QTest::keyClick(width, Qt::Key_Down);
            // The fields take no typing: only the arrows change them.
            QTest::keyClicks(width, QStringLiteral("7"));
            dialog->findChild<QCheckBox*>(QStringLiteral("drawBorder"))->click();
            dialog->findChild<QCheckBox*>(QStringLiteral("showSplash"))->click();
            dialog->findChild<QCheckBox*>(QStringLiteral("autoOrient"))->click();
            Button(dialog, QStringLiteral("OK"))->click();
        },
        RejectAll<OptionsDialog>);
    EXPECT_EQ(qtui::RunOptionsDialog(nullptr, form), qtui::kDialogOk);

    EXPECT_EQ(boxTexts, (QStringList{"Show splash screen when application starts", "Draw a border around the images",
                                     "Sort images on date instead of name",
                                     "Turn photos upright as the camera was held"}));
    EXPECT_TRUE(centred);
    EXPECT_TRUE(okFocused);
    EXPECT_EQ(heightShown, 20000);
    EXPECT_FALSE(form.showSplash);
    EXPECT_TRUE(form.drawBorder);
    EXPECT_TRUE(form.sortOnDate);
    EXPECT_FALSE(form.autoOrient);
    EXPECT_EQ(form.width, "119");
    EXPECT_EQ(form.height, "10000");
    EXPECT_EQ(form.columns, "256");
}

TEST(Dialogs, OptionsCancelKeepsTheForm)
{
    options::Form form = options::Initial({}, {120, 120, 6});
    WhenShown<OptionsDialog>(
        [](OptionsDialog* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("drawBorder"))->click();
            Button(dialog, QStringLiteral("Cancel"))->click();
        },
        RejectAll<OptionsDialog>);
    EXPECT_EQ(qtui::RunOptionsDialog(nullptr, form), qtui::kDialogCancel);
    EXPECT_FALSE(form.drawBorder);
    EXPECT_EQ(form.width, "120");
}

// However the user got to a control, Enter keeps the changes and Escape drops them.
TEST(Dialogs, OptionsEnterIsOkAndEscapeIsCancelWhereverTheFocusIs)
{
    struct Case {
        const char* what;
        std::function<void(OptionsDialog*)> touch;
        Qt::Key key;
        int result;
        bool border;
    };
    const auto box = [](OptionsDialog* dialog) { return dialog->findChild<QCheckBox*>(QStringLiteral("drawBorder")); };
    const auto click = [box](OptionsDialog* dialog) { QTest::mouseClick(box(dialog), Qt::LeftButton); };
    const Case cases[] = {
        {"clicked box, Enter", click, Qt::Key_Return, qtui::kDialogOk, true},
        {"clicked box, keypad Enter", click, Qt::Key_Enter, qtui::kDialogOk, true},
        {"box toggled with the keyboard, Enter",
         [box](OptionsDialog* dialog) {
             box(dialog)->setFocus();
             QTest::keyClick(box(dialog), Qt::Key_Space);
         },
         Qt::Key_Return, qtui::kDialogOk, true},
        {"spin field stepped, Enter",
         [](OptionsDialog* dialog) {
             auto* width = dialog->findChild<QSpinBox*>(QStringLiteral("thumbWidth"));
             width->setFocus();
             QTest::keyClick(width, Qt::Key_Up);
         },
         Qt::Key_Return, qtui::kDialogOk, false},
        {"Cancel focused, Enter",
         [click](OptionsDialog* dialog) {
             click(dialog);
             Button(dialog, QStringLiteral("Cancel"))->setFocus();
         },
         Qt::Key_Return, qtui::kDialogOk, true},
        {"clicked box, Escape", click, Qt::Key_Escape, qtui::kDialogCancel, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        options::Form form = options::Initial({}, {120, 120, 6});
        WhenShown<OptionsDialog>(
            [&](OptionsDialog* dialog) {
                test.touch(dialog);
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, test.key);
            },
            RejectAll<OptionsDialog>);
        EXPECT_EQ(qtui::RunOptionsDialog(nullptr, form), test.result);
        EXPECT_EQ(form.drawBorder, test.border);
    }
}

TEST(Dialogs, ExifShowsTheCameraReportReadOnly)
{
    VISTREL_REQUIRE_CORPUS(corpus, "exif/exif-samples");
    QString text;
    bool readOnly = false;
    bool centred = false;
    bool closeFocused = false;
    struct {
        QPlainTextEdit::LineWrapMode wrap = QPlainTextEdit::NoWrap;
        Qt::ScrollBarPolicy horizontal = Qt::ScrollBarAsNeeded;
        qreal tabStop = 1;
        int widestLabel = 0;
        std::set<int> valueColumns;
    } report;
    WhenShown<ExifDialog>(
        [&](ExifDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Exif Information"));
            text = dialog->GetText();
            readOnly = dialog->findChild<QPlainTextEdit*>()->isReadOnly();
            centred = Centred(dialog);
            closeFocused = dialog->focusWidget() == Button(dialog, QStringLiteral("Close"));
            auto* edit = dialog->findChild<QPlainTextEdit*>();
            report.wrap = edit->lineWrapMode();
            report.horizontal = edit->horizontalScrollBarPolicy();
            report.tabStop = edit->tabStopDistance();
            const QFontMetrics metrics(edit->font());
            for (const QString& line : text.split(QLatin1Char('\n'))) {
                if (!line.contains(QLatin1Char('\t'))) continue;
                const int label = metrics.horizontalAdvance(line.section(QLatin1Char('\t'), 0, 0));
                report.widestLabel = std::max(report.widestLabel, label);
                // Where the value starts: the first tab stop past the label.
                report.valueColumns.insert(int(label / report.tabStop) + 1);
            }
            Button(dialog, QStringLiteral("Close"))->click();
        },
        RejectAll<ExifDialog>);
    EXPECT_EQ(qtui::RunExifDialog(nullptr, (corpus / "Canon_40D.jpg").string()), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Canon"))) << text.toStdString();
    // Values line up in one column past every label, and long lines wrap instead of scrolling.
    EXPECT_EQ(report.wrap, QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(report.horizontal, Qt::ScrollBarAlwaysOff);
    EXPECT_GT(report.tabStop, report.widestLabel);
    EXPECT_EQ(report.valueColumns.size(), 1u);
    EXPECT_TRUE(text.contains(QStringLiteral("Manufacturer:")));
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(centred);
    EXPECT_TRUE(closeFocused);
}

TEST(Dialogs, ExifShowsTheErrorTextAndEscapeCloses)
{
    testsupport::TempDir dir;
    exiftest::ExifBuilder camera;
    camera.Ascii(camera.ifd0, 0x010F, "Maker");
    testsupport::WriteFile(dir.file("corrupt.jpg"), camera.Jpeg('X'));

    QString text;
    WhenShown<ExifDialog>(
        [&](ExifDialog* dialog) {
            text = dialog->GetText();
            QTest::keyClick(dialog, Qt::Key_Escape);
        },
        RejectAll<ExifDialog>);
    EXPECT_EQ(qtui::RunExifDialog(nullptr, dir.file("corrupt.jpg")), 1);
    EXPECT_EQ(text, QString::fromLatin1(exiftext::kCorrupt));
}
