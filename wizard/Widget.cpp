#include "wizard/Widget.h"

#include "wizard/MainWnd.h"
#include "wizard/SkinFailure.h"

CWidget::CWidget(CMainWnd* owner, int32_t stepIndex) : owner_(owner), stepIndex_(stepIndex) {}

CWidget::~CWidget() = default;

void CWidget::DoInit() {
    DuiLib::CControlUI* root =
        builder_.Create(GetPageSkinFile().c_str(), nullptr, nullptr, &owner_->PaintManager(), nullptr);
    if (!root) EndWithUnusableSkin(GetPageSkinFile());
    Add(root);
}

DuiLib::CControlUI* CWidget::Find(const wchar_t* name) const { return owner_->PaintManager().FindControl(name); }
