// A control that owns child controls. The plain container gives every child
// its whole client area (the rectangle less the inset); the layouts flow them.
#pragma once

#include <vector>

#include "toolkit/core/ControlUI.h"

namespace DuiLib {

class CContainerUI : public CControlUI {
public:
    CContainerUI() = default;
    ~CContainerUI() override;  // deletes the children

    std::wstring GetClass() const override;     // L"ContainerUI"
    LPVOID GetInterface(LPCWSTR name) override;  // also L"Container"

    // Takes ownership; false for nullptr or a control that already has a
    // parent. A control added to a container of a window's tree joins that tree.
    virtual bool Add(CControlUI* control);
    virtual bool AddAt(CControlUI* control, int index);
    virtual bool Remove(CControlUI* control);  // deletes it
    virtual void RemoveAll();
    int GetCount() const;
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(CControlUI* control) const;  // -1 when not held

    RECT GetInset() const;  // device pixels
    void SetInset(const RECT& inset);
    int GetChildPadding() const;  // device pixels
    void SetChildPadding(int padding);

    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetAttribute(LPCWSTR name, LPCWSTR value) override;
    void SetPos(const RECT& pos) override;
    CControlUI* FindControlAt(POINT point) override;
    void PaintChildren(CRenderContext& render, const RECT& paint) override;

protected:
    RECT GetClientRect() const;  // m_rcItem less the inset
    void PlaceFloat(CControlUI* control);
    std::vector<CControlUI*> m_items;
    RECT m_rcInset{};  // 96 dpi
    int m_iChildPadding = 0;  // 96 dpi
};

}  // namespace DuiLib
