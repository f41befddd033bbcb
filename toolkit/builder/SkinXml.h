// Skin XML documents read from the skin source.
#pragma once

#include <pugixml.hpp>

#include <string>

namespace DuiLib {

// Loads the named skin file (or, when text starts with '<', the text itself).
bool LoadSkinXml(const std::wstring& nameOrText, pugi::xml_document& document);
// An element's name or attribute as wide text.
std::wstring XmlText(const char* utf8);

}  // namespace DuiLib
