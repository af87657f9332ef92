// The settings store on disk: one REGEDIT4 file per root in the store folder, read under a
// shared lock and replaced atomically under an exclusive one. Internal: not exported.
#pragma once

#include "KzRegDocument.h"

#include <functional>
#include <string>

namespace kzreg {

enum class Root { ClassesRoot, LocalMachine, CurrentUser };

class KzRegistryStore {
public:
    // $KZUTIL_REGISTRY_DIR, else ${XDG_CONFIG_HOME:-$HOME/.config}/kzutil-registry.
    static std::string Folder();
    static const char* RootName(Root root);
    static std::string FilePath(Root root);

    // A missing file reads as an empty store; a damaged one as what could be parsed.
    // False (with the reason in error) only when the file cannot be read at all.
    static bool Read(Root root, KzRegDocument& document, std::string& error);

    // Reads the current file, lets edit change it and writes the result back, all under the
    // exclusive lock. Nothing is written when edit returns false. A damaged file is first
    // copied beside itself (.damaged, .damaged.1 …).
    static bool Modify(Root root, const std::function<bool(KzRegDocument&)>& edit, std::string& error);
};

} // namespace kzreg
