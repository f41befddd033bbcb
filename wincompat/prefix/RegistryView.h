// The 32-bit view of the registry, as 64-bit Windows (7 and later) shows it
// to 32-bit programs:
//   HKLM\Software\X           -> HKLM\Software\Wow6432Node\X (also ...\Uninstall\...)
//   HKLM\Software             -> HKLM\Software\Wow6432Node, so enumerating it lists the 32-bit keys
//   HKLM\Software\Classes     shared by both views, except the subkeys Windows
//                             redirects (CLSID, Interface, DirectShow, Media Type,
//                             MediaFoundation), which live in Software\Classes\Wow6432Node
//   HKLM\Software\Wow6432Node\Classes  the same place as Software\Classes in the
//                             32-bit view (Wine links the two keys)
//   HKCU and the rest of HKLM are not redirected.
// Windows shares a few more keys between the views; none of them is needed here.
#pragma once

#include "prefix/RegistryPath.h"

namespace wincompat {

// The real path of `path` (a path from the hive's root) in the given view.
KeyPath MapToView(Hive hive, KeyPath path, bool view32);

}  // namespace wincompat
