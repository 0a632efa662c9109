// SPDX-License-Identifier: GPL-3.0-or-later
// The barcode library, loaded when the first label is drawn rather than linked into the program:
// the shops that never print a label do not pay for loading it (and the image libraries it
// needs) at every start.
//
// These are the zint functions the barcode encoder calls, with zint's own signatures; each
// forwards to the function of libzint.so.2.11, loaded on the first call. The structures come from
// the same version's header. Without the library nothing is encoded: no symbol is made.

#include "labels/zintondemand.h"

#include <zint.h>

#include "storage/ondemand.h"

#include <dlfcn.h>

namespace
{

void* libzint()
{
    static void* const handle = dlopen(kZintLibraryName, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function> Function resolve(const char* name)
{
    return resolveOnDemand<Function>(libzint(), name);
}

} // namespace

bool zintLibraryLoaded()
{
    return libzint() != nullptr;
}

extern "C" {

TARNEL_FORWARD(zint_symbol*, ZBarcode_Create, (void), (), nullptr)
TARNEL_FORWARD_VOID(ZBarcode_Delete, (zint_symbol * symbol), (symbol))
TARNEL_FORWARD(int, ZBarcode_Encode_and_Buffer_Vector,
               (zint_symbol * symbol, const unsigned char* source, int length, int rotate_angle),
               (symbol, source, length, rotate_angle), ZINT_ERROR_ENCODING_PROBLEM)

} // extern "C"
