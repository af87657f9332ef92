// The settings store on disk: one REGEDIT4 file per root in the store folder, read under a
// shared lock and replaced atomically under an exclusive one. Internal: not exported.
#pragma once

#include "KzRegDocument.h"

#include <functional>
#include <string>
#include <vector>

namespace kzreg {

enum class Root { ClassesRoot, LocalMachine, CurrentUser };

class KzRegistryStore {
public:
    // $KZUTIL_REGISTRY_DIR, else ${XDG_CONFIG_HOME:-$HOME/.config}/kzutil-registry.
    static std::string Folder();
    // The read-only layers beneath the user's store, most important first: each folder of
    // ${XDG_CONFIG_DIRS:-/etc/xdg} + /kzutil-registry. None when $KZUTIL_REGISTRY_DIR is set, so
    // that such a store (tests, development) stands alone.
    static std::vector<std::string> DefaultFolders();
    static const char* RootName(Root root);
    static std::string FilePath(Root root);

    struct Layer {
        std::string path;
        KzRegDocument document;
    };
    // The root as readers see it: the user's file first, then, for the current user, each
    // default layer whose file is whole; a damaged or unreadable default layer is left out.
    // A missing user file reads as an empty store, a damaged one as what could be parsed.
    // False (with the reason in error) only when the user's file cannot be read at all.
    static bool ReadLayers(Root root, std::vector<Layer>& layers, std::string& error);
    // A value comes from the first layer that holds it.
    static KzRegDocument Merged(const std::vector<Layer>& layers);
    // The layers merged.
    static bool Read(Root root, KzRegDocument& document, std::string& error);

    // Reads the user's file (never a default layer), lets edit change it and writes the result
    // back, all under the exclusive lock. Nothing is written when edit returns false. A damaged
    // file is first copied beside itself (.damaged, .damaged.1 …).
    static bool Modify(Root root, const std::function<bool(KzRegDocument&)>& edit, std::string& error);
};

} // namespace kzreg
