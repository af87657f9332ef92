#include "KzPath.h"
#include "Kzutil.h"

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

// Copies a chosen path into the caller's 260-byte buffer, refusing what does not fit.
bool Deliver(const QString& chosen, char (&work)[260], char* path)
{
    std::string text = chosen.toLocal8Bit().toStdString();
    if (text.empty() || text.size() >= sizeof work) return false;
    std::memcpy(work, text.c_str(), text.size() + 1);
    std::memcpy(path, work, text.size() + 1);
    return true;
}

} // namespace

CKzDialogs::CKzDialogs(QWidget* owner) : m_owner(owner)
{
    static const char kAllFiles[] = "All Files\0*.*\0";
    std::memcpy(m_filters, kAllFiles, sizeof kAllFiles);
}

CKzDialogs::~CKzDialogs() = default;

bool CKzDialogs::SetFileMask(const char* filters)
{
    if (!filters) return false;
    std::memset(m_filters, 0, sizeof m_filters);
    size_t used = 0;
    for (const char* p = filters; *p;) {
        size_t desc = std::strlen(p);
        size_t pattern = std::strlen(p + desc + 1);
        size_t pair = desc + 1 + pattern + 1;
        if (used + pair + 1 > sizeof m_filters) break; // keep room for the closing empty string
        std::memcpy(m_filters + used, p, pair);
        used += pair;
        p += pair;
    }
    return true;
}

bool CKzDialogs::SetFilterIndex(int index)
{
    if (index < 0) return false;
    m_filterIndex = index;
    return true;
}

bool CKzDialogs::SetInitialDir(const char* dir)
{
    if (!dir) return false;
    kzpath::Put(m_initialDir, sizeof m_initialDir, dir);
    return true;
}

bool CKzDialogs::BrowseForFileOpen(char* path)
{
    return BrowseForFile(path, false);
}

bool CKzDialogs::BrowseForFileSaveAs(char* path)
{
    return BrowseForFile(path, true);
}

bool CKzDialogs::BrowseForFile(char* path, bool save)
{
    if (!path || !HaveApplication()) return false;
    m_fileName[0] = '\0';
    QFileDialog dialog(m_owner);
    QStringList filters = NameFilters(m_filters, sizeof m_filters);
    dialog.setNameFilters(filters);
    if (m_filterIndex < filters.size()) dialog.selectNameFilter(filters[m_filterIndex]);
    if (m_initialDir[0]) dialog.setDirectory(QString::fromLocal8Bit(m_initialDir));
    if (save) {
        // A new name must be allowed here; replacing an existing file asks first.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    if (!Deliver(dialog.selectedFiles().first(), m_fileName, path)) return false;
    int chosen = int(filters.indexOf(dialog.selectedNameFilter()));
    if (chosen >= 0) m_filterIndex = chosen;
    return true;
}

bool CKzDialogs::BrowseForDir(char* path)
{
    if (!path || !HaveApplication()) return false;
    QFileDialog dialog(m_owner, QStringLiteral("Choose a folder:"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (m_initialDir[0]) dialog.setDirectory(QString::fromLocal8Bit(m_initialDir));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    QString chosen = dialog.selectedFiles().first();
    if (!chosen.endsWith('/')) chosen += '/';
    return Deliver(chosen, m_fileName, path);
}

bool CKzDialogs::SelectColor(unsigned long& rgb) const
{
    if (!HaveApplication()) return false;
    for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, QColor(255, 255, 255));
    QColorDialog dialog(QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF)), m_owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    QColor chosen = dialog.selectedColor();
    rgb = (unsigned long)chosen.red() | (unsigned long)chosen.green() << 8 | (unsigned long)chosen.blue() << 16;
    return true;
}
