#pragma once
// Windows drive paths on the host. The system names its folders as paths on
// drive C: ("C:\tarnek\modelado_ro"); each drive letter maps onto a host
// folder: the one named by QUENDAL_UNIDAD_<LETTER> (QUENDAL_UNIDAD_C for C:),
// or $XDG_DATA_HOME/quendal/<letter> when that variable is unset or empty
// ($XDG_DATA_HOME defaulting to ~/.local/share). The drive letter's case does
// not matter, so "C:\x" and "c:\x" are one folder.
#include <string>
#include <string_view>

// Maps a drive path onto its host folder and turns every backslash of it
// into '/'. A path without a drive letter is a host path already (a folder or
// file picked in a dialog, or one built by RutaEnCarpeta on a host folder)
// and is used as it is: on this host a backslash is an ordinary character of
// a name, so "a\b" and "a/b" are two folders.
// Raises EInOutError when no host folder can be found for the drive (neither
// its variable, XDG_DATA_HOME nor HOME is set).
std::string RutaLocal(std::string_view ruta);

// `nombre` inside `carpeta`: joined by a backslash when the folder is a
// drive path (the system's own names, mapped later by RutaLocal), by '/'
// when it is a host path. A folder that already ends in its separator gets
// no second one.
std::string RutaEnCarpeta(std::string_view carpeta, std::string_view nombre);

// Host folder of drive `letra`, for messages: the folder, and where it comes
// from when its variable places it ("/x/c, según QUENDAL_UNIDAD_C").
std::string DescripcionDeUnidad(char letra);
