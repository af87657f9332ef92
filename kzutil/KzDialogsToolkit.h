// Between CKzDialogs and its toolkit part: a module (libKzutilDialogs.so beside libKzutil.so)
// loaded when a dialog is first shown, so that programs which never show one never load the
// toolkit and start fast.
#pragma once

#include <cstddef>

class QWidget;

struct KzDialogsToolkit {
    // filters: description/pattern pairs ended by an empty string, filtersSize bytes at most.
    // On OK the choice goes to chosen (NUL-terminated) and filterIndex to the chosen filter.
    bool (*browseForFile)(QWidget* owner, const char* filters, std::size_t filtersSize, int* filterIndex,
                          const char* initialDir, bool save, char* chosen, std::size_t chosenSize);
    bool (*browseForDir)(QWidget* owner, const char* initialDir, char* chosen, std::size_t chosenSize);
    bool (*selectColor)(QWidget* owner, unsigned long* rgb);
};

constexpr const char* kKzDialogsModule = "libKzutilDialogs.so";
constexpr const char* kKzDialogsEntry = "KzDialogsToolkitEntry";

extern "C" const KzDialogsToolkit* KzDialogsToolkitEntry();
