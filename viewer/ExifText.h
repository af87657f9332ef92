// What the Exif Information dialog shows for a file, free of any toolkit.
#pragma once

#include <cstddef>
#include <string>

namespace exiftext {

inline constexpr char kNoExif[] = "This file contains no Exif information.";
inline constexpr char kCorrupt[] = "The Exif information in this file is corrupt.";
// The report is built in a buffer of this many characters, terminator included.
inline constexpr std::size_t kReportCapacity = 4096;

// The text for a reader error code: "" for codes that have no text of their own.
const char* ErrorText(int errorCode);

// The Exif report of the file, or the error text when it cannot be read.
std::string ForFile(const std::string& path);

} // namespace exiftext
