// CDialogBuilder: one pass over the skin document. A <Window> root gives its
// settings to the manager and holds exactly one root control; every control
// element becomes a control with its default list and then its own attributes.
#include "toolkit/builder/DialogBuilder.h"

#include <map>
#include <memory>
#include <string>

#include "toolkit/builder/ResourceManager.h"
#include "toolkit/builder/SkinXml.h"
#include "toolkit/core/AttributeValues.h"
#include "toolkit/core/ContainerUI.h"
#include "toolkit/core/ControlFactory.h"
#include "toolkit/core/PaintManagerUI.h"

namespace DuiLib {

namespace {

class TreeBuilder {
public:
    TreeBuilder(IDialogBuilderCallback* callback, CPaintManagerUI* manager)
        : m_callback(callback), m_manager(manager) {}

    CControlUI* BuildDocument(const pugi::xml_node& root);

private:
    pugi::xml_node ReadWindow(const pugi::xml_node& window);
    void ReadWindowAttributes(const pugi::xml_node& window);
    void ReadFont(const pugi::xml_node& font);
    void ReadDefault(const pugi::xml_node& entry);
    const wchar_t* DefaultList(const std::wstring& tag) const;
    CControlUI* BuildControl(const pugi::xml_node& element);
    CControlUI* CreateControl(const std::wstring& tag);

    IDialogBuilderCallback* m_callback;
    CPaintManagerUI* m_manager;
    std::map<std::wstring, std::wstring> m_defaults;  // used without a manager
};

CControlUI* TreeBuilder::BuildDocument(const pugi::xml_node& root) {
    if (!root) return nullptr;
    if (std::string(root.name()) != "Window") return BuildControl(root);
    pugi::xml_node control = ReadWindow(root);
    return control ? BuildControl(control) : nullptr;
}

// The window's settings; answers its only control element, or nothing when
// there is not exactly one.
pugi::xml_node TreeBuilder::ReadWindow(const pugi::xml_node& window) {
    ReadWindowAttributes(window);
    pugi::xml_node control;
    int controls = 0;
    for (pugi::xml_node child : window.children()) {
        if (child.type() != pugi::node_element) continue;
        std::string tag = child.name();
        if (tag == "Font") {
            ReadFont(child);
        } else if (tag == "Default") {
            ReadDefault(child);
        } else {
            control = child;
            ++controls;
        }
    }
    return controls == 1 ? control : pugi::xml_node();
}

void TreeBuilder::ReadWindowAttributes(const pugi::xml_node& window) {
    if (!m_manager) return;
    for (pugi::xml_attribute attribute : window.attributes()) {
        std::string name = attribute.name();
        std::wstring value = XmlText(attribute.value());
        if (name == "size") {
            SIZE size = ParseSize(value.c_str());
            m_manager->SetInitSize(size.cx, size.cy);
        } else if (name == "caption") {
            m_manager->SetCaptionRect(ParseRect(value.c_str()));
        } else if (name == "mininfo") {
            SIZE size = ParseSize(value.c_str());
            m_manager->SetMinInfo(size.cx, size.cy);
        } else if (name == "roundcorner") {
            SIZE size = ParseSize(value.c_str());
            m_manager->SetRoundCorner(size.cx, size.cy ? size.cy : size.cx);
        }
    }
}

void TreeBuilder::ReadFont(const pugi::xml_node& element) {
    if (!m_manager) return;
    TFontInfo font;
    std::wstring name = XmlText(element.attribute("name").value());
    if (!name.empty()) font.sFontName = name;
    if (pugi::xml_attribute size = element.attribute("size")) font.iSize = ParseInt(XmlText(size.value()).c_str());
    font.bBold = ParseBool(XmlText(element.attribute("bold").value()).c_str());
    font.bUnderline = ParseBool(XmlText(element.attribute("underline").value()).c_str());
    font.bItalic = ParseBool(XmlText(element.attribute("italic").value()).c_str());
    int id = ParseInt(XmlText(element.attribute("id").value()).c_str());
    bool isDefault = ParseBool(XmlText(element.attribute("default").value()).c_str());
    m_manager->AddFont(id, font, isDefault);
}

void TreeBuilder::ReadDefault(const pugi::xml_node& entry) {
    std::wstring name = XmlText(entry.attribute("name").value());
    std::wstring value = XmlText(entry.attribute("value").value());
    if (name.empty()) return;
    if (m_manager) {
        m_manager->AddDefaultAttributeList(name.c_str(), value.c_str());
    } else {
        m_defaults[name] = value;
    }
}

const wchar_t* TreeBuilder::DefaultList(const std::wstring& tag) const {
    if (m_manager) return m_manager->GetDefaultAttributeList(tag.c_str());
    auto found = m_defaults.find(tag);
    return found == m_defaults.end() ? nullptr : found->second.c_str();
}

CControlUI* TreeBuilder::CreateControl(const std::wstring& tag) {
    if (CControlUI* control = CreateBuiltinControl(tag)) return control;
    return m_callback ? m_callback->CreateControl(tag.c_str()) : nullptr;
}

CControlUI* TreeBuilder::BuildControl(const pugi::xml_node& element) {
    std::wstring tag = XmlText(element.name());
    std::unique_ptr<CControlUI> control(CreateControl(tag));
    if (!control) return nullptr;
    if (const wchar_t* defaults = DefaultList(tag)) control->ApplyAttributeList(defaults);
    for (pugi::xml_attribute attribute : element.attributes()) {
        control->SetAttribute(XmlText(attribute.name()).c_str(), XmlText(attribute.value()).c_str());
    }
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    for (pugi::xml_node child : element.children()) {
        if (child.type() != pugi::node_element) continue;
        // Children under a control that cannot hold them are a skin error.
        if (!container) return nullptr;
        CControlUI* item = BuildControl(child);
        if (!item) return nullptr;
        container->Add(item);
    }
    return control.release();
}

}  // namespace

CControlUI* CDialogBuilder::Create(LPCWSTR xml, LPCWSTR, IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
    if (!xml || !*xml) return nullptr;
    std::wstring source = CResourceManager::GetInstance()->GetXmlPath(xml);
    if (source.empty()) source = xml;
    pugi::xml_document document;
    if (!LoadSkinXml(source, document)) return nullptr;

    TreeBuilder builder(callback, manager);
    CControlUI* root = builder.BuildDocument(document.document_element());
    if (!root) return nullptr;
    if (parent) {
        if (auto* container = static_cast<CContainerUI*>(parent->GetInterface(L"Container"))) container->Add(root);
    }
    return root;
}

}  // namespace DuiLib
