// The program's own plain-text editor: one file, File > Save (Ctrl+S) and Close (Ctrl+W).
#pragma once

#include <QMainWindow>

class QPlainTextEdit;

namespace platform {

class TextEditorWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit TextEditorWindow(QWidget* parent = nullptr);

    // Reads the file into the editor; false when it cannot be read or is too big to edit.
    // A file that is not UTF-8 is read as Latin-1 and saved the same way, and CR LF line ends
    // stay CR LF, so that saving changes only what the user changed.
    bool Open(const QString& path);
    // Writes a new file beside the old one and renames it over it: a failed save (full disk,
    // no permission) leaves the old file whole and tells the user why.
    bool Save();
    QString GetPath() const { return m_path; }
    QPlainTextEdit* GetEditor() const { return m_editor; }

protected:
    // With unsaved changes, asks whether to save them first; Cancel keeps the window open.
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* m_editor;
    QString m_path;
    bool m_latin1 = false;
    bool m_crlf = false;
};

} // namespace platform
