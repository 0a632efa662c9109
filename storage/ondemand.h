// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <dlfcn.h>

// Libraries loaded when first used instead of linked (libpq, libxlsxwriter, zint): most starts of
// the program never need them, and a linked library costs every start its loading and
// relocations. A file that stands in for such a library defines, in its own anonymous namespace,
// `template <typename Function> Function resolve(const char* name)` (usually through
// resolveOnDemand with its library's handle), then defines each function of the library it uses
// with TARNEL_FORWARD or TARNEL_FORWARD_VOID, with the library's own signature, inside
// `extern "C"`.

// The function of the loaded library (null when the library or the function is not there).
template <typename Function> Function resolveOnDemand(void* library, const char* name)
{
    return library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

// Each function: the library's own, found once; the fallback when the library is not there.
#define TARNEL_FORWARD(result, name, parameters, arguments, fallback)                              \
    result name parameters                                                                         \
    {                                                                                              \
        using Function = result(*) parameters;                                                     \
        static const Function function = resolve<Function>(#name);                                 \
        if (!function)                                                                             \
            return fallback;                                                                       \
        return function arguments;                                                                 \
    }
#define TARNEL_FORWARD_VOID(name, parameters, arguments)                                           \
    void name parameters                                                                           \
    {                                                                                              \
        using Function = void(*) parameters;                                                       \
        static const Function function = resolve<Function>(#name);                                 \
        if (function)                                                                              \
            function arguments;                                                                    \
    }
