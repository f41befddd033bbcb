// The UI toolkit: skinned windows and their controls (namespace DuiLib).
#pragma once

#include <windows.h>

#include "toolkit/builder/DialogBuilder.h"
#include "toolkit/builder/ResourceManager.h"
#include "toolkit/control/ButtonUI.h"
#include "toolkit/control/CheckBoxUI.h"
#include "toolkit/control/EditUI.h"
#include "toolkit/control/LabelUI.h"
#include "toolkit/control/OptionUI.h"
#include "toolkit/control/ProgressUI.h"
#include "toolkit/control/TextUI.h"
#include "toolkit/core/ContainerUI.h"
#include "toolkit/core/ControlUI.h"
#include "toolkit/core/DialogBuilderCallback.h"
#include "toolkit/core/MessageFilterUI.h"
#include "toolkit/core/NotifyUI.h"
#include "toolkit/core/PaintManagerUI.h"
#include "toolkit/core/QueryControlText.h"
#include "toolkit/core/ResourceType.h"
#include "toolkit/layout/HorizontalLayoutUI.h"
#include "toolkit/layout/TabLayoutUI.h"
#include "toolkit/layout/VerticalLayoutUI.h"
#include "toolkit/window/WindowImplBase.h"
#include "toolkit/window/WindowWnd.h"
