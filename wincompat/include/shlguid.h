// Class and interface identifiers of the shell.
#pragma once

#include <objidl.h>

EXTERN_C const CLSID CLSID_ShellLink;  // {00021401-0000-0000-C000-000000000046}
EXTERN_C const IID IID_IShellLinkW;    // {000214F9-0000-0000-C000-000000000046}
