#include "ExifText.h"

#include "Kzutil.h"

#include <vector>

namespace exiftext {

const char* ErrorText(int errorCode)
{
    switch (errorCode) {
    case CKzExifFile::ErrorNoImageStart:
    case CKzExifFile::ErrorNoExif:
        return kNoExif;
    case CKzExifFile::ErrorCorrupt:
        return kCorrupt;
    default:
        return "";
    }
}

std::string ForFile(const std::string& path)
{
    CKzExifFile file;
    if (!file.Open(path.c_str())) return ErrorText(file.GetErrorCode());
    std::vector<char> report(kReportCapacity, '\0');
    file.GetExifInformation(report.data(), int(report.size()));
    file.Close();
    return report.data();
}

} // namespace exiftext
