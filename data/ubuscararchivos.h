#pragma once
// Recursive search for files by extension.
#include <string_view>

#include "numerics/xmatdefs.h"

// Appends to `lista` the full path of every file of `carpeta` whose extension
// (the text after its last '.') equals one of `extensiones` (given without
// the dot; letter case does not count): the folder's own files first, grouped
// by extension in the order given and sorted by name within each group, then,
// when `recursivo`, those of each subfolder in name order, depth first.
// Hidden entries (a name beginning with '.') and entries that are neither
// files nor folders are skipped, and links to folders are not followed. A
// folder that cannot be listed, or an empty `carpeta`, adds nothing; what the
// list held stays in front. `carpeta` may be a drive path or a host path, with
// or without a trailing separator.
void BuscarArchivos(std::string_view carpeta, const TDAofString& extensiones, TDAofString& lista,
                    bool recursivo);
