// Whatever the settings file reader takes from an input must be written so that it reads back
// whole and unchanged.
#include "FuzzTargets.h"

#include "KzRegDocument.h"

#include <cstdlib>
#include <string>

void FuzzSettingsDocument(const std::uint8_t* data, std::size_t size)
{
    const std::string root = "HKEY_CURRENT_USER";
    kzreg::KzRegDocument document;
    document.Parse(std::string(reinterpret_cast<const char*>(data), size), root);
    const std::string written = document.Format(root);
    kzreg::KzRegDocument again;
    if (!again.Parse(written, root) || again.Format(root) != written) std::abort();
}
