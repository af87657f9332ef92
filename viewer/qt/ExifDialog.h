// The Exif Information dialog: the report of the current image in a read-only text box.
#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace qtui {

class ExifDialog : public QDialog {
    Q_OBJECT

public:
    ExifDialog(const QString& report, QWidget* owner);

    QString GetText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* text;
    QPushButton* close;
};

// Runs the dialog modally over owner for the image at path; ends with 1 (Close).
int RunExifDialog(QWidget* owner, const std::string& path);

} // namespace qtui
