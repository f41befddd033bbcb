// Moving a file to another drive: copy it (contents, times, attributes), then
// delete the source. The move counts as done even when the source cannot be
// deleted (it then stays), as Windows documents for MOVEFILE_COPY_ALLOWED.
#pragma once

#include <windef.h>

namespace wincompat {

BOOL CopyThenDelete(LPCWSTR source, LPCWSTR target, bool replace);

}  // namespace wincompat
