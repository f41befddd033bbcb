// CResourceManager: the Image and Xml entries of res.xml, by id.
#include "toolkit/builder/ResourceManager.h"

#include "toolkit/builder/SkinXml.h"

namespace DuiLib {

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager manager;
    return &manager;
}

bool CResourceManager::LoadResource(LPCWSTR xmlFile) {
    pugi::xml_document document;
    if (!xmlFile || !LoadSkinXml(xmlFile, document)) return false;
    pugi::xml_node root = document.document_element();
    if (std::string(root.name()) != "Res") return false;
    Clear();
    for (pugi::xml_node entry : root.children()) {
        std::string kind = entry.name();
        std::wstring id = XmlText(entry.attribute("id").value());
        std::wstring path = XmlText(entry.attribute("path").value());
        if (id.empty() || path.empty()) continue;
        if (kind == "Image") m_images[id] = path;
        if (kind == "Xml") m_xmls[id] = path;
    }
    return true;
}

void CResourceManager::Clear() {
    m_images.clear();
    m_xmls.clear();
}

std::wstring CResourceManager::GetImagePath(LPCWSTR id) const {
    if (!id) return std::wstring();
    auto found = m_images.find(id);
    return found == m_images.end() ? std::wstring() : found->second;
}

std::wstring CResourceManager::GetXmlPath(LPCWSTR id) const {
    if (!id) return std::wstring();
    auto found = m_xmls.find(id);
    return found == m_xmls.end() ? std::wstring() : found->second;
}

}  // namespace DuiLib
