#include "OptionsDialog.h"

#include "DialogSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

namespace qtui {

namespace {

// A number field changed only through its arrows (buttons, arrow keys, page keys): stepping
// stays within 1 .. limit, while a value stored beyond the limit is still shown as it is.
class ThumbSpinBox : public QSpinBox {
public:
    ThumbSpinBox(int largest, QWidget* parent) : QSpinBox(parent), limit(largest)
    {
        setRange(options::kThumbMinimum, INT_MAX);
        setAccelerated(true);
        lineEdit()->setReadOnly(true);
    }

    void stepBy(int steps) override { setValue(options::Step(value(), steps, limit)); }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled enabled = StepNone;
        if (options::Step(value(), 1, limit) != value()) enabled |= StepUpEnabled;
        if (options::Step(value(), -1, limit) != value()) enabled |= StepDownEnabled;
        return enabled;
    }

private:
    int limit;
};

// unit: the text after the field, or null.
QSpinBox* AddField(QGridLayout* grid, int row, const char* label, int limit, const std::string& text,
                   const char* name, const char* unit)
{
    auto* field = new ThumbSpinBox(limit, grid->parentWidget());
    field->setObjectName(QString::fromLatin1(name));
    const int value = QString::fromStdString(text).toInt();
    if (value >= options::kThumbMinimum) field->setValue(value);
    grid->addWidget(new QLabel(QString::fromLatin1(label)), row, 0);
    grid->addWidget(field, row, 1);
    if (unit) grid->addWidget(new QLabel(QString::fromLatin1(unit)), row, 2);
    return field;
}

QCheckBox* AddBox(QVBoxLayout* layout, const char* text, bool checked, const char* name)
{
    auto* box = new QCheckBox(QString::fromLatin1(text));
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

} // namespace

OptionsDialog::OptionsDialog(const options::Form& form, QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Options"));
    setModal(true);

    auto* general = new QGroupBox(QStringLiteral("General options"));
    auto* generalLayout = new QVBoxLayout(general);
    showSplash = AddBox(generalLayout, "Show splash screen when application starts", form.showSplash, "showSplash");
    drawBorder = AddBox(generalLayout, "Draw a border around the images", form.drawBorder, "drawBorder");
    sortOnDate = AddBox(generalLayout, "Sort images on date instead of name", form.sortOnDate, "sortOnDate");
    autoOrient = AddBox(generalLayout, "Turn photos upright as the camera was held", form.autoOrient, "autoOrient");

    auto* thumbs = new QGroupBox(QStringLiteral("Thumbnail settings"));
    auto* thumbsLayout = new QVBoxLayout(thumbs);
    thumbsLayout->addWidget(new QLabel(QStringLiteral("Modify the appearance of the thumbnail page:")));
    auto* grid = new QGridLayout;
    thumbsLayout->addLayout(grid);
    width = AddField(grid, 0, "Thumbnail width:", options::kThumbSideLimit, form.width, "thumbWidth", "pixels");
    height = AddField(grid, 1, "Thumbnail height:", options::kThumbSideLimit, form.height, "thumbHeight", "pixels");
    columns = AddField(grid, 2, "Number of columns:", options::kThumbColumnsLimit, form.columns, "thumbColumns", nullptr);

    auto* buttons = new QDialogButtonBox;
    ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    // A button that takes the default when it gets focus would let Enter drop the user's changes
    // once Cancel had been focused: Enter is OK wherever the focus is, Escape cancels.
    ok->setAutoDefault(false);
    cancel->setAutoDefault(false);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(thumbs);
    layout->addStretch();
    layout->addWidget(buttons);
    setFixedSize(DialogUnitsToPixels(*this, 176, 178).expandedTo(sizeHint()));
}

options::Form OptionsDialog::GetForm() const
{
    options::Form form;
    form.showSplash = showSplash->isChecked();
    form.drawBorder = drawBorder->isChecked();
    form.sortOnDate = sortOnDate->isChecked();
    form.autoOrient = autoOrient->isChecked();
    form.width = width->text().toStdString();
    form.height = height->text().toStdString();
    form.columns = columns->text().toStdString();
    return form;
}

void OptionsDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    ok->setFocus();
}

int RunOptionsDialog(QWidget* owner, options::Form& form)
{
    OptionsDialog dialog(form, owner);
    if (dialog.exec() != QDialog::Accepted) return kDialogCancel;
    form = dialog.GetForm();
    return kDialogOk;
}

} // namespace qtui
