// Reading one item's properties from an open archive. Each function returns
// the library's error when the read fails and E_FAIL when the value has a
// type the property never has.
#pragma once

#include "install/SevenZipLibrary.h"

#include <string>

namespace sevenzip {

// "[Content]" for an item stored without a name.
HRESULT ReadItemPath(const Library& library, IInArchive* archive, uint32_t index, std::wstring& path);
HRESULT ReadItemAttributes(const Library& library, IInArchive* archive, uint32_t index, DWORD& attributes,
                           bool& defined);
HRESULT ReadItemIsFolder(const Library& library, IInArchive* archive, uint32_t index, bool& isFolder);
// Leaves time as it was when the item has none.
HRESULT ReadItemModificationTime(const Library& library, IInArchive* archive, uint32_t index, FILETIME& time,
                                 bool& defined);

}  // namespace sevenzip
