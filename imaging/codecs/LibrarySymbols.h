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

// Opens the library `soname` and fills one table of its functions with `findAll(library, table)`;
// null, with the library closed again, when it cannot be opened or lacks a function. The table
// lives for the process, so call this once per Table and keep the result.
template <class Table, class FindAll>
const Table* OpenFunctionTable(const char* soname, FindAll findAll)
{
    void* library = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!library) return nullptr;
    static Table table;
    if (!findAll(library, table)) {
        dlclose(library);
        return nullptr;
    }
    return &table;
}
