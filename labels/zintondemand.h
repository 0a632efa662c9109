// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The barcode library's file, loaded on first use (see zintondemand.cpp); the Debian package
// names its package (libzint2.11) as a dependency.
inline constexpr const char* kZintLibraryName = "libzint.so.2.11";

// Loads the barcode library when it is not loaded yet; false when it cannot be loaded.
bool zintLibraryLoaded();
