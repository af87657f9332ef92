// Looking up the functions of a library opened with dlopen.
#pragma once

#include <dlfcn.h>

// Sets `function` to the library's symbol `name`; false when the library lacks it.
template <class Function>
bool FindSymbol(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}
