#include "GuiSupport.h"
#include "HelpWindow.h"
#include "QtShell.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <string>

using guitest::FindShown;
using platform::HelpWindow;

namespace {

// Receives the links that would go to the desktop's browser.
class LinkCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls << url; }
};

std::string Filler(int paragraphs)
{
    std::string text;
    for (int i = 0; i < paragraphs; ++i) text += "<p>Paragraph " + std::to_string(i) + "</p>\n";
    return text;
}

// Clicks the first link whose text is text, as a user would.
void ClickLink(QTextBrowser* browser, const QString& text)
{
    QTextCursor found = browser->document()->find(text);
    ASSERT_FALSE(found.isNull()) << text.toStdString();
    browser->ensureCursorVisible();
    QTextCursor inside(browser->document());
    inside.setPosition(found.selectionStart() + 1);
    browser->setTextCursor(inside);
    browser->ensureCursorVisible();
    const QPoint point = browser->cursorRect(inside).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, point);
}

} // namespace

TEST(HelpWindow, ShowsTheProgramsHelpPage)
{
    platform::QtShell shell;
    const std::string page = std::string(VISTREL_SOURCE_DIR) + "/resources/vistrel-help.html";
    ASSERT_TRUE(shell.ShowHelp(page.c_str()));
    HelpWindow* window = FindShown<HelpWindow>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vistrel Help"));
    const QString text = window->GetBrowser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Contents")));
    EXPECT_TRUE(text.contains(QStringLiteral("Keys")));
    EXPECT_EQ(window->GetBrowser()->source().fragment(), QStringLiteral("contents"));

    // F1 again reuses the window; after Escape closes it, a new one shows and stays.
    ASSERT_TRUE(shell.ShowHelp(page.c_str()));
    EXPECT_EQ(FindShown<HelpWindow>(), window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->GetBrowser(), Qt::Key_Escape);
    QTest::qWait(20);
    EXPECT_EQ(FindShown<HelpWindow>(), nullptr);
    ASSERT_TRUE(shell.ShowHelp(page.c_str()));
    QTest::qWait(20);
    EXPECT_NE(FindShown<HelpWindow>(), nullptr);
    EXPECT_TRUE(shell.CloseWindows());
}

TEST(HelpWindow, OpensAtTheContentsAndFollowsLinks)
{
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.file("help.html"),
                           "<html><head><title>Test Help</title></head><body>" + Filler(80) +
                               "<h2 id=\"contents\">Contents</h2><p><a href=\"#details\">Go to details</a></p>"
                               "<p><a href=\"second.html\">Second page</a></p>"
                               "<p><a href=\"https://example.org/more\">On the web</a></p>" +
                               Filler(120) + "<h2 id=\"details\">Details</h2>" + Filler(80) + "</body></html>");
    testsupport::WriteFile(dir.file("second.html"), std::string("<html><body><p>The second page</p></body></html>"));
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");

    platform::QtShell shell;
    ASSERT_TRUE(shell.ShowHelp(dir.file("help.html").c_str()));
    HelpWindow* window = FindShown<HelpWindow>();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTextBrowser* browser = window->GetBrowser();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Test Help"));
    const int atContents = browser->verticalScrollBar()->value();
    EXPECT_GT(atContents, 0);

    ClickLink(browser, QStringLiteral("Go to details"));
    EXPECT_GT(browser->verticalScrollBar()->value(), atContents);

    browser->backward();
    ClickLink(browser, QStringLiteral("On the web"));
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/more"))});

    ClickLink(browser, QStringLiteral("Second page"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("The second page")));
    EXPECT_TRUE(browser->source().path().endsWith(QStringLiteral("second.html")));

    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_TRUE(shell.CloseWindows());
}

TEST(HelpWindow, RefusesAMissingFile)
{
    testsupport::TempDir dir;
    platform::QtShell shell;
    EXPECT_FALSE(shell.ShowHelp(dir.file("missing.html").c_str()));
    EXPECT_FALSE(shell.ShowHelp(dir.path().string().c_str()));
    EXPECT_FALSE(shell.ShowHelp(nullptr));
    EXPECT_EQ(FindShown<HelpWindow>(), nullptr);
}

#include "HelpWindowTest.moc"
