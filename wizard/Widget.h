// A wizard page: a horizontal layout that builds its own skin file into
// itself when the toolkit first attaches it to the main window's tree.
#pragma once

#include "toolkit/UIlib.h"
#include "wizard/SkinFailure.h"

#include <stdint.h>

#include <string>

class CMainWnd;

class CWidget : public DuiLib::CHorizontalLayoutUI {
public:
    CWidget(CMainWnd* owner, int32_t stepIndex);
    ~CWidget() override;

    // Builds the page skin (a page that cannot be built ends the process the
    // way an unusable window skin does); derived pages then look up their controls.
    void DoInit() override;
    virtual std::wstring GetPageSkinFile() const = 0;

    int32_t StepIndex() const { return stepIndex_; }

protected:
    // A control of the page (or any control of the window) by name.
    DuiLib::CControlUI* Find(const wchar_t* name) const;
    // A control the page cannot work without, of the class it must have.
    template <typename Control>
    Control* Require(const wchar_t* name) const {
        Control* control = dynamic_cast<Control*>(Find(name));
        if (!control) EndWithUnusableSkin(GetPageSkinFile());
        return control;
    }

    CMainWnd* owner_;
    int32_t stepIndex_;
    DuiLib::CDialogBuilder builder_;
};
