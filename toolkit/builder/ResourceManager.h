// The skin's resource list, res.xml:
//   <Res><Image id="logo" path="logo.png"/><Xml id="main" path="DlgMain.xml"/></Res>
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace DuiLib {

class CResourceManager {
public:
    static CResourceManager* GetInstance();

    // Reads the list from the skin source, replacing what was loaded; false
    // when the file is missing or not a resource list.
    bool LoadResource(LPCWSTR xmlFile);
    void Clear();
    std::wstring GetImagePath(LPCWSTR id) const;  // empty when unknown
    std::wstring GetXmlPath(LPCWSTR id) const;    // empty when unknown

private:
    std::map<std::wstring, std::wstring> m_images;
    std::map<std::wstring, std::wstring> m_xmls;
};

}  // namespace DuiLib
