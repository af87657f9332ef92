#include "TextEditorWindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace platform {

namespace {

// Templates and notes are small; a bigger file is not what this editor is for.
constexpr qint64 kMaxFileBytes = qint64(16) << 20;

const QString kCaption = QStringLiteral("Vistrel");

// File names are shown as they are, never read as markup.
QMessageBox::StandardButton Ask(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preset)
{
    QMessageBox box(icon, kCaption, text, buttons, owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(preset);
    return QMessageBox::StandardButton(box.exec());
}

// Unbuffered, because a buffered QSaveFile can commit after a short write in its final flush
// (a full disk); the write after a short one fails and names the reason.
bool WriteAll(QSaveFile& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += written;
    }
    return true;
}

} // namespace

TextEditorWindow::TextEditorWindow(QWidget* parent) : QMainWindow(parent), m_editor(new QPlainTextEdit(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    setCentralWidget(m_editor);
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Save"), QKeySequence::Save, this, &TextEditorWindow::Save);
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), this, &QWidget::close);
    connect(m_editor->document(), &QTextDocument::modificationChanged, this, &QWidget::setWindowModified);
    resize(720, 560);
}

bool TextEditorWindow::Open(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return false;
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileBytes) return false;

    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    m_latin1 = utf8.hasError();
    if (m_latin1) text = QString::fromLatin1(bytes);
    m_crlf = bytes.contains("\r\n");

    m_path = path;
    m_editor->setPlainText(text);
    m_editor->document()->setModified(false);
    setWindowModified(false);
    setWindowTitle(tr("%1[*] - %2").arg(QFileInfo(path).fileName(), kCaption));
    return true;
}

bool TextEditorWindow::Save()
{
    QString text = m_editor->toPlainText();
    if (m_crlf) text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    // A character that Latin-1 cannot hold turns the file into UTF-8 rather than into '?'.
    const bool latin1 = m_latin1 && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    const QByteArray bytes = latin1 ? text.toLatin1() : text.toUtf8();

    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && WriteAll(file, bytes) && file.commit()) {
        m_latin1 = latin1;
        m_editor->document()->setModified(false);
        return true;
    }
    Ask(this, QMessageBox::Critical, tr("Could not save %1.\n%2").arg(QFileInfo(m_path).fileName(), file.errorString()),
        QMessageBox::Ok, QMessageBox::Ok);
    return false;
}

void TextEditorWindow::closeEvent(QCloseEvent* event)
{
    if (!m_editor->document()->isModified()) {
        event->accept();
        return;
    }
    const auto answer =
        Ask(this, QMessageBox::Warning, tr("%1 has been changed.\nDo you want to save your changes?").arg(QFileInfo(m_path).fileName()),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && Save()))
        event->accept();
    else
        event->ignore();
}

} // namespace platform
