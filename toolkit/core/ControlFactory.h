// The controls the skin's built-in tags stand for.
#pragma once

#include <string>

namespace DuiLib {

class CControlUI;

// A new control for a built-in tag (Control, Container, VerticalLayout,
// HorizontalLayout, TabLayout, Label, Text, Button, Option, CheckBox, Edit,
// Progress); nullptr for any other tag.
CControlUI* CreateBuiltinControl(const std::wstring& tag);

}  // namespace DuiLib
