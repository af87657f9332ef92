// The Options dialog: three display settings and the thumbnail page's box and columns.
#pragma once

#include "OptionsForm.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace qtui {

class OptionsDialog : public QDialog {
    Q_OBJECT

public:
    OptionsDialog(const options::Form& form, QWidget* owner);

    // What the controls hold now.
    options::Form GetForm() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* showSplash;
    QCheckBox* drawBorder;
    QCheckBox* sortOnDate;
    QCheckBox* autoOrient;
    QSpinBox* width;
    QSpinBox* height;
    QSpinBox* columns;
    QPushButton* ok;
};

// Button identifiers the dialog ends with.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

// Runs the dialog modally over owner; on OK form holds what the user left.
int RunOptionsDialog(QWidget* owner, options::Form& form);

} // namespace qtui
