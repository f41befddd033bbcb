// The mouse cursor a control asks for.
#pragma once

namespace DuiLib {

enum class UICursor { Arrow, Hand, IBeam };

}  // namespace DuiLib
