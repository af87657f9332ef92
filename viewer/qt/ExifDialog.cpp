#include "ExifDialog.h"

#include "DialogSupport.h"
#include "ExifText.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qtui {

ExifDialog::ExifDialog(const QString& report, QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Exif Information"));
    setModal(true);

    text = new QPlainTextEdit(QString(report).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text->setObjectName(QStringLiteral("report"));
    text->setReadOnly(true);
    // Each line is a label, a tab and a value: one tab stop past the widest label puts every
    // value in the same column, whatever the font.
    const QFontMetrics metrics(text->font());
    int widest = 0;
    for (const QString& line : text->toPlainText().split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line.section(QLatin1Char('\t'), 0, 0)));
    text->setTabStopDistance(widest + metrics.averageCharWidth() * 2);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
