// CPaintManagerUI: process-wide settings, the tree and its index, notifiers
// and filters, focus, layout, skin settings and control timers. Input
// handling is in PaintManagerInput.cpp, the message loop in MessageLoop.cpp.
#include "toolkit/core/PaintManagerUI.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "toolkit/core/ContainerUI.h"
#include "toolkit/core/ManagerRegistry.h"
#include "toolkit/render/RenderContext.h"
#include "toolkit/resources/SkinSource.h"

namespace DuiLib {

namespace {

HINSTANCE g_instance = nullptr;

template <typename T>
bool AddUnique(std::vector<T*>& list, T* item) {
    if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
    list.push_back(item);
    return true;
}

template <typename T>
bool RemoveItem(std::vector<T*>& list, T* item) {
    auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end()) return false;
    list.erase(found);
    return true;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() = default;

CPaintManagerUI::~CPaintManagerUI() {
    UnregisterManager(this);
    for (const ControlTimer& timer : m_timers) {
        if (m_hWndPaint) ::KillTimer(m_hWndPaint, timer.windowTimer);
    }
    m_timers.clear();
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
}

void CPaintManagerUI::SetInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE CPaintManagerUI::GetInstance() { return g_instance; }
void CPaintManagerUI::SetResourceType(int kind) { CSkinSource::Get().SetKind(kind); }
int CPaintManagerUI::GetResourceType() { return CSkinSource::Get().GetKind(); }

void CPaintManagerUI::SetResourcePath(LPCWSTR folder) {
    std::wstring path = folder ? folder : L"";
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    CSkinSource::Get().SetFolder(path);
}

const std::wstring& CPaintManagerUI::GetResourcePath() { return CSkinSource::Get().GetFolder(); }

void CPaintManagerUI::SetResourceZip(LPCVOID data, unsigned int size, LPCWSTR password) {
    CSkinSource::Get().SetArchive(data, size, password ? password : L"");
}

void CPaintManagerUI::ReportUnusableSkin(LPCWSTR file) {
    std::wstring text = std::wstring(L"加载资源文件失败：") + (file ? file : L"");
    ::MessageBoxW(nullptr, text.c_str(), L"Duilib", MB_ICONERROR);
    // Nothing can be shown without the skin: the process ends here.
    ::ExitProcess(1);
}

void CPaintManagerUI::Init(HWND window) {
    m_hWndPaint = window;
    if (HDC screen = ::GetDC(nullptr)) {
        int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
        if (dpi > 0) m_nDPI = dpi;
    }
    RegisterManager(this);
    NeedUpdate();
}

HWND CPaintManagerUI::GetPaintWindow() const { return m_hWndPaint; }

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
    if (!root) return false;
    if (m_pRoot && m_pRoot != root) {
        CControlUI* old = m_pRoot;
        m_pRoot = nullptr;
        delete old;
    }
    m_pRoot = root;
    root->SetManager(this, nullptr, true);
    NeedUpdate();
    return true;
}

CControlUI* CPaintManagerUI::GetRoot() const { return m_pRoot; }

CControlUI* CPaintManagerUI::FindControl(LPCWSTR name) const {
    if (!name) return nullptr;
    auto found = m_names.find(name);
    return found == m_names.end() ? nullptr : found->second;
}

CControlUI* CPaintManagerUI::FindControlAt(POINT point) {
    UpdateLayout();
    return m_pRoot ? m_pRoot->FindControlAt(point) : nullptr;
}

void CPaintManagerUI::InitControl(CControlUI* control) {
    // The first control of a name keeps it.
    if (!control->GetName().empty()) m_names.emplace(control->GetName(), control);
}

void CPaintManagerUI::RenameControl(CControlUI* control, const std::wstring& oldName) {
    auto found = m_names.find(oldName);
    if (found != m_names.end() && found->second == control) m_names.erase(found);
    InitControl(control);
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
    for (auto entry = m_names.begin(); entry != m_names.end();) {
        entry = entry->second == control ? m_names.erase(entry) : std::next(entry);
    }
    if (m_pFocus == control) m_pFocus = nullptr;
    if (m_pEventHover == control) m_pEventHover = nullptr;
    if (m_pEventClick == control) m_pEventClick = nullptr;
    for (auto timer = m_timers.begin(); timer != m_timers.end();) {
        if (timer->control != control) {
            ++timer;
            continue;
        }
        if (m_hWndPaint) ::KillTimer(m_hWndPaint, timer->windowTimer);
        timer = m_timers.erase(timer);
    }
}

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) { return AddUnique(m_notifiers, notifier); }
bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { return RemoveItem(m_notifiers, notifier); }
bool CPaintManagerUI::HasNotifier() const { return !m_notifiers.empty(); }
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) { return AddUnique(m_filters, filter); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_filters, filter); }

void CPaintManagerUI::SendNotify(CControlUI* control, LPCWSTR type, WPARAM wParam, LPARAM lParam) {
    TNotifyUI msg;
    msg.sType = type ? type : L"";
    msg.pSender = control;
    msg.dwTimestamp = ::GetTickCount();
    msg.ptMouse = m_ptLastMouse;
    msg.wParam = wParam;
    msg.lParam = lParam;
    // A notifier may remove itself or others while it is told.
    std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) notifier->Notify(msg);
    }
}

int CPaintManagerUI::GetDPI() const { return m_nDPI; }

void CPaintManagerUI::SetDPI(int dpi) {
    if (dpi <= 0 || dpi == m_nDPI) return;
    m_nDPI = dpi;
    NeedUpdate();
}

int CPaintManagerUI::Scale(int value) const {
    return static_cast<int>(std::lround(static_cast<double>(value) * m_nDPI / 96.0));
}

RECT CPaintManagerUI::Scale(const RECT& rect) const {
    return RECT{Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom)};
}

CControlUI* CPaintManagerUI::GetFocus() const { return m_pFocus; }

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (control == m_pFocus) return;
    if (control && (control->GetManager() != this || !control->IsFocusable())) return;
    CControlUI* old = m_pFocus;
    m_pFocus = control;
    if (old) {
        old->OnKillFocus();
        SendNotify(old, L"killfocus");
    }
    if (control && m_pFocus == control) {
        control->OnSetFocus();
        SendNotify(control, L"setfocus");
    }
}

void CPaintManagerUI::CollectTabStops(CControlUI* control, std::vector<CControlUI*>& stops) const {
    if (!control || !control->IsVisible() || !control->IsEnabled()) return;
    if (control->IsFocusable() && control->IsTabStop()) stops.push_back(control);
    auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) CollectTabStops(container->GetItemAt(i), stops);
}

bool CPaintManagerUI::SetNextTabControl(bool forward) {
    m_bFocusCues = true;
    Invalidate();
    std::vector<CControlUI*> stops;
    CollectTabStops(m_pRoot, stops);
    if (stops.empty()) return false;
    size_t count = stops.size();
    auto current = std::find(stops.begin(), stops.end(), m_pFocus);
    CControlUI* next = nullptr;
    if (current == stops.end()) {
        next = forward ? stops.front() : stops.back();
    } else {
        size_t index = static_cast<size_t>(current - stops.begin());
        next = stops[forward ? (index + 1) % count : (index + count - 1) % count];
    }
    SetFocus(next);
    return true;
}

void CPaintManagerUI::NeedUpdate() {
    m_bUpdateNeeded = true;
    Invalidate();
}

void CPaintManagerUI::UpdateLayout() {
    if (!m_pRoot || !m_bUpdateNeeded) return;
    m_bUpdateNeeded = false;
    SIZE client = GetClientSize();
    m_pRoot->SetPos(RECT{0, 0, client.cx, client.cy});
}

void CPaintManagerUI::Invalidate() {
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::Invalidate(const RECT& rect) {
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, &rect, FALSE);
}

SIZE CPaintManagerUI::GetClientSize() const {
    RECT client{};
    if (m_hWndPaint && ::GetClientRect(m_hWndPaint, &client) && client.right > client.left &&
        client.bottom > client.top)
        return SIZE{client.right - client.left, client.bottom - client.top};
    return m_szClient;
}

void CPaintManagerUI::SetClientSize(SIZE size) {
    m_szClient = size;
    NeedUpdate();
}

void CPaintManagerUI::Paint(CRenderContext& render, const RECT& paint) {
    UpdateLayout();
    if (m_pRoot && m_pRoot->IsVisible()) m_pRoot->DoPaint(render, paint);
}

void CPaintManagerUI::SetInitSize(int cx, int cy) { m_szInitWindowSize = SIZE{cx, cy}; }
SIZE CPaintManagerUI::GetInitSize() const { return SIZE{Scale(m_szInitWindowSize.cx), Scale(m_szInitWindowSize.cy)}; }
void CPaintManagerUI::SetCaptionRect(const RECT& caption) { m_rcCaption = caption; }
void CPaintManagerUI::SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
SIZE CPaintManagerUI::GetMinInfo() const { return SIZE{Scale(m_szMinWindow.cx), Scale(m_szMinWindow.cy)}; }
void CPaintManagerUI::SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }
SIZE CPaintManagerUI::GetRoundCorner() const { return SIZE{Scale(m_szRoundCorner.cx), Scale(m_szRoundCorner.cy)}; }

bool CPaintManagerUI::IsCaptionPoint(POINT point) {
    // caption="l,t,r,b": from l and t, to r short of the right edge, down to b.
    if (m_rcCaption.bottom <= m_rcCaption.top) return false;
    SIZE client = GetClientSize();
    RECT caption = Scale(m_rcCaption);
    if (point.x < caption.left || point.x >= client.cx - caption.right || point.y < caption.top ||
        point.y >= caption.bottom)
        return false;
    CControlUI* control = FindControlAt(point);
    if (!control || !control->IsEnabledInTree()) return true;
    return !control->GetInterface(L"Button") && !control->GetInterface(L"Edit");
}

void CPaintManagerUI::AddFont(int id, const TFontInfo& font, bool isDefault) {
    m_fonts[id] = font;
    // The first font serves as the default until one is marked as such.
    if (isDefault || m_iDefaultFont < 0) m_iDefaultFont = id;
    NeedUpdate();
}

const TFontInfo& CPaintManagerUI::GetFont(int id) const {
    static const TFontInfo fallback;
    auto found = m_fonts.find(id);
    if (found != m_fonts.end()) return found->second;
    auto standard = m_fonts.find(m_iDefaultFont);
    return standard != m_fonts.end() ? standard->second : fallback;
}

void CPaintManagerUI::AddDefaultAttributeList(LPCWSTR controlName, LPCWSTR list) {
    if (!controlName) return;
    m_defaultAttributes[controlName] = list ? list : L"";
}

LPCWSTR CPaintManagerUI::GetDefaultAttributeList(LPCWSTR controlName) const {
    if (!controlName) return nullptr;
    auto found = m_defaultAttributes.find(controlName);
    return found == m_defaultAttributes.end() ? nullptr : found->second.c_str();
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapse) {
    if (!control || !m_hWndPaint) return false;
    for (const ControlTimer& timer : m_timers) {
        if (timer.control == control && timer.id == id)
            return ::SetTimer(m_hWndPaint, timer.windowTimer, elapse, nullptr) != 0;
    }
    UINT_PTR windowTimer = m_nextTimer++;
    if (!::SetTimer(m_hWndPaint, windowTimer, elapse, nullptr)) return false;
    m_timers.push_back(ControlTimer{control, id, windowTimer});
    return true;
}

void CPaintManagerUI::KillTimer(CControlUI* control, UINT id) {
    for (auto timer = m_timers.begin(); timer != m_timers.end(); ++timer) {
        if (timer->control != control || timer->id != id) continue;
        if (m_hWndPaint) ::KillTimer(m_hWndPaint, timer->windowTimer);
        m_timers.erase(timer);
        return;
    }
}

POINT CPaintManagerUI::GetMousePos() const { return m_ptLastMouse; }

}  // namespace DuiLib
