#include "GuiSupport.h"
#include "QtShell.h"
#include "TestSupport.h"
#include "TextEditorWindow.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <string>
#include <sys/resource.h>

using guitest::FindShown;
using guitest::WhenShown;
using platform::TextEditorWindow;

namespace {

std::string Contents(const std::string& path)
{
    const std::vector<unsigned char> bytes = testsupport::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

void CloseBoxes()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget)) box->reject();
}

// Clicks the button of the next message box and records its text.
void AnswerBox(QMessageBox::StandardButton button, QString* text = nullptr)
{
    WhenShown<QMessageBox>(
        [button, text](QMessageBox* box) {
            if (text) *text = box->text();
            box->button(button)->click();
        },
        CloseBoxes);
}

void TypeAtEnd(TextEditorWindow* editor, const QString& text)
{
    editor->GetEditor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor->GetEditor(), text);
}

// Files beyond limit bytes cannot be written while it lasts, also by root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }

private:
    rlimit saved{};
    void (*previous)(int) = nullptr;
};

// A file in a temporary folder, edited in the program's editor as the viewer opens it.
class TextEditorTest : public ::testing::Test {
protected:
    TextEditorWindow* Edit(const std::string& name, const std::string& contents)
    {
        file = dir.file(name);
        testsupport::WriteFile(file, contents);
        return Edit();
    }
    TextEditorWindow* Edit()
    {
        if (!shell.EditTextFileBuiltIn(file.c_str())) return nullptr;
        TextEditorWindow* editor = FindShown<TextEditorWindow>();
        // Its keys (Ctrl+S, Ctrl+W) reach the active window only.
        if (editor && !QTest::qWaitForWindowActive(editor)) ADD_FAILURE() << "the editor did not become active";
        return editor;
    }

    testsupport::TempDir dir;
    platform::QtShell shell;
    std::string file;
};

} // namespace

TEST_F(TextEditorTest, SavesWhatWasTypedKeepingLineEndsAndEncoding)
{
    TextEditorWindow* editor = Edit("template.html", "<p>caf\xe9</p>\r\n<p>two</p>\r\n");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetEditor()->toPlainText(), QString::fromUtf8("<p>caf\u00e9</p>\n<p>two</p>\n"));
    EXPECT_TRUE(editor->windowTitle().contains(QStringLiteral("template.html")));
    EXPECT_FALSE(editor->isWindowModified());

    TypeAtEnd(editor, QStringLiteral("<p>end</p>"));
    EXPECT_TRUE(editor->isWindowModified());
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Contents(file), "<p>caf\xe9</p>\r\n<p>two</p>\r\n<p>end</p>");
    EXPECT_FALSE(editor->isWindowModified());

    // A character beyond Latin-1 makes it UTF-8 rather than losing it.
    editor->GetEditor()->moveCursor(QTextCursor::End);
    editor->GetEditor()->insertPlainText(QString::fromUtf8("\u20ac"));
    ASSERT_TRUE(editor->Save());
    EXPECT_EQ(Contents(file), "<p>caf\xc3\xa9</p>\r\n<p>two</p>\r\n<p>end</p>\xe2\x82\xac");

    // The same file again brings the open window forward instead of a second one.
    EXPECT_EQ(Edit(), editor);
    int editors = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<TextEditorWindow*>(widget) && widget->isVisible()) ++editors;
    EXPECT_EQ(editors, 1);
    EXPECT_TRUE(shell.CloseWindows());
    EXPECT_FALSE(shell.EditTextFileBuiltIn(dir.file("missing.html").c_str()));
}

TEST_F(TextEditorTest, FailedSaveKeepsTheOldFileAndSaysWhy)
{
    const std::string old = "<p>old</p>\n";
    TextEditorWindow* editor = Edit("template.html", old);
    ASSERT_NE(editor, nullptr);
    TypeAtEnd(editor, QString(200, QLatin1Char('x')));
    QString message;
    AnswerBox(QMessageBox::Ok, &message);
    {
        FileSizeLimit limit(64);
        EXPECT_FALSE(editor->Save());
    }
    EXPECT_TRUE(message.startsWith(QStringLiteral("Could not save template.html."))) << message.toStdString();
    EXPECT_EQ(Contents(file), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_TRUE(editor->isWindowModified());

    AnswerBox(QMessageBox::Discard);
    EXPECT_TRUE(shell.CloseWindows());
    EXPECT_EQ(Contents(file), old);
}

TEST_F(TextEditorTest, ClosingWithChangesAsksFirst)
{
    TextEditorWindow* editor = Edit("notes.txt", "one\n");
    ASSERT_NE(editor, nullptr);
    TypeAtEnd(editor, QStringLiteral("two"));

    QString question;
    AnswerBox(QMessageBox::Cancel, &question);
    EXPECT_FALSE(shell.CloseWindows());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(question.contains(QStringLiteral("notes.txt")));

    AnswerBox(QMessageBox::Save);
    EXPECT_TRUE(shell.CloseWindows());
    EXPECT_EQ(Contents(file), "one\ntwo");

    editor = Edit();
    ASSERT_NE(editor, nullptr);
    TypeAtEnd(editor, QStringLiteral("three"));
    AnswerBox(QMessageBox::Discard);
    QTest::keyClick(editor, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(FindShown<TextEditorWindow>(), nullptr);
    EXPECT_EQ(Contents(file), "one\ntwo");
}
