// Where skin files come from.
#pragma once

namespace DuiLib {

// UILIB_FILE reads files under the resource folder; UILIB_ZIPRESOURCE reads
// them from a zip archive held in memory (CPaintManagerUI::SetResourceZip).
// The other two kinds are named for completeness and serve no files.
enum UILIB_RESOURCETYPE { UILIB_FILE = 1, UILIB_ZIP = 2, UILIB_RESOURCE = 3, UILIB_ZIPRESOURCE = 4 };

}  // namespace DuiLib
