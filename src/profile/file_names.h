#pragma once
// Names that become file names (profiles, macros, sequences).
#include <string_view>

namespace varnacle::profile {

// True when `name` can be used as a file's base name in a settings folder on
// every system the program runs on: not empty, at most 200 bytes, no path
// separator, no "..", no control character, none of < > : " / \ | ? *, no
// trailing dot or space, and not a reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, with or without an extension).
bool isSafeFileName(std::string_view name);

// True when `name` can be stored as a new name in a list file (macros,
// profiles): a safe file name that the list file gives back exactly when it is
// read again (ini_document.h: readsBackUnchanged). A name such as " a" or
// "'a'" would read back as "a", and the list would then name a file other than
// the one that holds its settings.
bool isStorableName(std::string_view name);

}  // namespace varnacle::profile
