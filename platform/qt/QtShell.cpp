#include "QtShell.h"

#include "HelpWindow.h"
#include "TextEditorWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

QString Text(const char* text)
{
    return QFile::decodeName(text ? text : "");
}

// An empty or missing directory leaves the process in this program's own.
QString WorkingDirectory(const char* directory)
{
    const QString path = Text(directory);
    return QFileInfo(path).isDir() ? path : QString();
}

bool StartDetached(const QString& program, const QStringList& arguments, const QString& directory = {})
{
    const QString found = QStandardPaths::findExecutable(program);
    return !found.isEmpty() && QProcess::startDetached(found, arguments, directory);
}

bool StartEditor(const QString& command, const QString& file)
{
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty()) return false;
    words << file;
    if (!TerminalEditor(words)) return StartDetached(words.takeFirst(), words);
    if (QStandardPaths::findExecutable(words.first()).isEmpty()) return false;
    return StartDetached(QStringLiteral("x-terminal-emulator"), QStringList{QStringLiteral("-e")} + words);
}

void Raise(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

bool TerminalEditor(const QStringList& command)
{
    static const QSet<QString> terminalOnly = {
        QStringLiteral("vi"),    QStringLiteral("vim"),      QStringLiteral("vim.basic"), QStringLiteral("vim.tiny"),
        QStringLiteral("nvim"),  QStringLiteral("view"),     QStringLiteral("nvi"),       QStringLiteral("elvis"),
        QStringLiteral("ex"),    QStringLiteral("ed"),       QStringLiteral("nano"),      QStringLiteral("rnano"),
        QStringLiteral("pico"),  QStringLiteral("joe"),      QStringLiteral("jmacs"),     QStringLiteral("jstar"),
        QStringLiteral("jed"),   QStringLiteral("micro"),    QStringLiteral("mcedit"),    QStringLiteral("ne"),
        QStringLiteral("mg"),    QStringLiteral("zile"),     QStringLiteral("kak"),       QStringLiteral("hx"),
        QStringLiteral("helix"), QStringLiteral("editor"),   QStringLiteral("sensible-editor"),
    };
    if (command.isEmpty()) return false;
    const QString name = QFileInfo(command.first()).fileName();
    if (terminalOnly.contains(name)) return true;
    // Emacs opens its own window unless told to stay in the terminal.
    static const QSet<QString> emacsInTerminal = {QStringLiteral("-nw"), QStringLiteral("-t"),
                                                  QStringLiteral("--no-window-system"), QStringLiteral("--tty")};
    return name.startsWith(QStringLiteral("emacs")) &&
           std::any_of(command.begin() + 1, command.end(), [](const QString& word) { return emacsInTerminal.contains(word); });
}

QtShell::~QtShell()
{
    for (const QPointer<QWidget>& window : m_windows) delete window.data();
}

bool QtShell::OpenDocument(const char* path, const char* workingDirectory)
{
    const QFileInfo document(Text(path));
    if (!document.exists()) return false;
    const QString file = document.absoluteFilePath();
    if (!QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return StartDetached(QStringLiteral("xdg-open"), {file}, WorkingDirectory(workingDirectory));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool QtShell::EditTextFile(const char* path)
{
    // Absolute, so that no editor reads a name starting with '-' as an option.
    const QFileInfo info(Text(path));
    if (!info.isFile()) return false;
    const QString file = info.absoluteFilePath();
    for (const char* variable : {"VISUAL", "EDITOR"})
        if (StartEditor(qEnvironmentVariable(variable), file)) return true;
    return false;
}

bool QtShell::EditTextFileBuiltIn(const char* path)
{
    const QString file = QFileInfo(Text(path)).absoluteFilePath();
    // A closed editor is only waiting to be deleted: it is not brought back.
    for (const QPointer<QWidget>& window : m_windows)
        if (auto* editor = qobject_cast<TextEditorWindow*>(window); editor && editor->isVisible() && editor->GetPath() == file) {
            Raise(editor);
            return true;
        }
    auto* editor = new TextEditorWindow;
    if (!editor->Open(file)) {
        delete editor;
        return false;
    }
    Keep(editor);
    Raise(editor);
    return true;
}

bool QtShell::StartProgram(const char* program, const char* argument, const char* workingDirectory)
{
    QString value = Text(argument);
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    const QString file = Text(program);
    if (!QFileInfo(file).isFile()) return false;
    return QProcess::startDetached(file, {value}, WorkingDirectory(workingDirectory));
}

bool QtShell::ShowHelp(const char* helpFile)
{
    // A closed window is only waiting to be deleted: a new one takes its place.
    const bool reused = m_help && m_help->isVisible();
    if (!reused) m_help = new HelpWindow;
    if (!m_help->Open(Text(helpFile))) {
        if (!reused) delete m_help.data();
        return false;
    }
    if (!reused) Keep(m_help);
    Raise(m_help);
    return true;
}

bool QtShell::CloseWindows()
{
    bool closed = true;
    for (const QPointer<QWidget>& window : m_windows)
        if (window && window->isVisible() && !window->close()) closed = false;
    return closed;
}

void QtShell::Keep(QWidget* window)
{
    m_windows.removeAll(nullptr);
    m_windows.append(window);
}

} // namespace platform
