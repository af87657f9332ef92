#include "ExifDialog.h"

#include "DialogSupport.h"
#include "ExifText.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qtui {

ExifDialog::ExifDialog(const QString& report, QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Exif Information"));
    setModal(true);

    // The report is laid out for a text box with CR LF line ends and tab stops every 32 dialog
    // units.
    text = new QPlainTextEdit(QString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text->setTabStopDistance(DialogUnitsToPixels(*this, 32, 0).width());
    text->setObjectName(QStringLiteral("report"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* buttons = new QDialogButtonBox;
    close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::AcceptRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    setFixedSize(DialogUnitsToPixels(*this, 240, 250));
}

QString ExifDialog::GetText() const
{
    return text->toPlainText();
}

void ExifDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    close->setFocus();
}

int RunExifDialog(QWidget* owner, const std::string& path)
{
    // Escape and the close box end it as Close does: there is nothing to cancel.
    ExifDialog(QString::fromLocal8Bit(exiftext::ForFile(path)), owner).exec();
    return 1;
}

} // namespace qtui
