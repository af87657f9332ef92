// The toolkit part of CKzDialogs (the module libKzutilDialogs.so): Qt's file and colour dialogs.
#include "KzDialogsToolkit.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QStringList>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The (description, patterns) pairs of a filter list, up to its empty terminating string.
std::vector<std::pair<std::string, std::string>> Pairs(const char* list, size_t size)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    const char* end = list + size;
    const char* p = list;
    while (p < end && *p) {
        const char* desc = p;
        const char* descEnd = static_cast<const char*>(std::memchr(desc, '\0', size_t(end - desc)));
        if (!descEnd || descEnd + 1 >= end) break;
        const char* pattern = descEnd + 1;
        const char* patternEnd = static_cast<const char*>(std::memchr(pattern, '\0', size_t(end - pattern)));
        if (!patternEnd) break;
        pairs.emplace_back(std::string(desc, descEnd), std::string(pattern, patternEnd));
        p = patternEnd + 1;
    }
    return pairs;
}

// "Images" + "*.jpg;*.png" becomes "Images (*.jpg *.png)"; "*.*" means every file here, also
// those without a dot.
QStringList NameFilters(const char* list, size_t size)
{
    QStringList filters;
    for (const auto& [desc, pattern] : Pairs(list, size)) {
        QStringList globs = QString::fromLocal8Bit(pattern.c_str()).split(';', Qt::SkipEmptyParts);
        for (QString& glob : globs) {
            glob = glob.trimmed();
            if (glob == "*.*") glob = "*";
        }
        filters << QString::fromLocal8Bit(desc.c_str()) + " (" + globs.join(' ') + ")";
    }
    return filters;
}

bool HaveApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool Copy(const QString& text, char* out, std::size_t size)
{
    const std::string bytes = text.toLocal8Bit().toStdString();
    if (bytes.empty() || bytes.size() >= size) return false;
    std::memcpy(out, bytes.c_str(), bytes.size() + 1);
    return true;
}

bool BrowseForFile(QWidget* owner, const char* filterList, std::size_t filtersSize, int* filterIndex,
                   const char* initialDir, bool save, char* chosen, std::size_t chosenSize)
{
    if (!HaveApplication()) return false;
    QFileDialog dialog(owner);
    const QStringList filters = NameFilters(filterList, filtersSize);
    dialog.setNameFilters(filters);
    if (*filterIndex < filters.size()) dialog.selectNameFilter(filters[*filterIndex]);
    if (initialDir[0]) dialog.setDirectory(QString::fromLocal8Bit(initialDir));
    if (save) {
        // A new name must be allowed here; replacing an existing file asks first.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    if (!Copy(dialog.selectedFiles().first(), chosen, chosenSize)) return false;
    const int index = int(filters.indexOf(dialog.selectedNameFilter()));
    if (index >= 0) *filterIndex = index;
    return true;
}

bool BrowseForDir(QWidget* owner, const char* initialDir, char* chosen, std::size_t chosenSize)
{
    if (!HaveApplication()) return false;
    QFileDialog dialog(owner, QStringLiteral("Choose a folder:"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (initialDir[0]) dialog.setDirectory(QString::fromLocal8Bit(initialDir));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    QString folder = dialog.selectedFiles().first();
    if (!folder.endsWith('/')) folder += '/';
    return Copy(folder, chosen, chosenSize);
}

bool SelectColor(QWidget* owner, unsigned long* rgb)
{
    if (!HaveApplication()) return false;
    for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, QColor(255, 255, 255));
    QColorDialog dialog(QColor(int(*rgb & 0xFF), int((*rgb >> 8) & 0xFF), int((*rgb >> 16) & 0xFF)), owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QColor colour = dialog.selectedColor();
    *rgb = (unsigned long)colour.red() | (unsigned long)colour.green() << 8 | (unsigned long)colour.blue() << 16;
    return true;
}

constexpr KzDialogsToolkit kToolkit{BrowseForFile, BrowseForDir, SelectColor};

} // namespace

extern "C" __attribute__((visibility("default"))) const KzDialogsToolkit* KzDialogsToolkitEntry()
{
    return &kToolkit;
}
