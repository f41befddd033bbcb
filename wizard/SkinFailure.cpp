#include "wizard/SkinFailure.h"

#include "toolkit/UIlib.h"

void EndWithUnusableSkin(const std::wstring& skinFile) { DuiLib::CPaintManagerUI::ReportUnusableSkin(skinFile.c_str()); }
