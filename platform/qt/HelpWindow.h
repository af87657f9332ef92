// The help window: the program's help page in a browser with Back, Forward and Contents.
#pragma once

#include <QMainWindow>

class QTextBrowser;

namespace platform {

class HelpWindow : public QMainWindow {
    Q_OBJECT

public:
    // The anchor of the help page's table of contents.
    static constexpr char kContentsAnchor[] = "contents";

    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the page at its table of contents; false when the file is missing or unreadable.
    // Links inside the page and to other local pages open here, links to the web in the
    // desktop's browser.
    bool Open(const QString& helpFile);
    QTextBrowser* GetBrowser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};

} // namespace platform
