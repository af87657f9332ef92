#include "HelpWindow.h"

#include <QFile>
#include <QFileInfo>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

namespace platform {

namespace {

// A help page is a few hundred kilobytes at most; anything bigger is not one.
constexpr qint64 kMaxPageBytes = qint64(16) << 20;

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QMainWindow(parent), m_browser(new QTextBrowser(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser->setOpenExternalLinks(true);
    setCentralWidget(m_browser);

    QToolBar* bar = addToolBar(tr("Navigation"));
    bar->setMovable(false);
    QAction* back = bar->addAction(tr("&Back"), m_browser, &QTextBrowser::backward);
    back->setShortcut(QKeySequence::Back);
    QAction* forward = bar->addAction(tr("&Forward"), m_browser, &QTextBrowser::forward);
    forward->setShortcut(QKeySequence::Forward);
    bar->addAction(tr("&Contents"), m_browser, &QTextBrowser::home);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_browser->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Vistrel Help") : title);
    });
    // Escape closes it, as it closes the program's other windows.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    resize(820, 640);
}

bool HelpWindow::Open(const QString& helpFile)
{
    const QFileInfo info(helpFile);
    QFile file(helpFile);
    if (!info.isFile() || info.size() > kMaxPageBytes || !file.open(QIODevice::ReadOnly)) return false;
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    url.setFragment(QString::fromLatin1(kContentsAnchor));
    m_browser->setSource(url);
    return true;
}

} // namespace platform
