#include <zent/bctrl/ResDialog.h>

#include <algorithm>
#include <cstring>

namespace zent {

namespace {
HINSTANCE g_hDefaultModule = nullptr; // GUI thread only

// Up to size bytes of raw-data resource id; a missing or short resource leaves the rest zero.
void ReadRaw(UINT id, HINSTANCE module, void* dest, std::size_t size)
{
    std::memset(dest, 0, size);
    if (!module) module = g_hDefaultModule;
    if (!module) return;
    const auto it = module->rawData.find(id);
    if (it == module->rawData.end()) return;
    std::memcpy(dest, it->second.data(), std::min(size, it->second.size()));
}
} // namespace

void SetDefaultResModule(HINSTANCE module)
{
    g_hDefaultModule = module;
}

HINSTANCE GetDefaultResModule()
{
    return g_hDefaultModule;
}

const DialogTemplate* FindResTemplate(HINSTANCE module, UINT nID)
{
    if (!module) module = g_hDefaultModule;
    return module ? FindDialogTemplate(module->templates, nID) : nullptr;
}

POINT CResDialog::m_lDlgStartPoint{0, 0};

CResDialog::CResDialog(UINT id, CWnd* parent)
    : m_nDialogID(id), m_hParentWnd(parent ? parent->GetSafeHwnd() : nullptr)
{
}

CResDialog::~CResDialog() = default;

BOOL CResDialog::Create(UINT id, CWnd* parent)
{
    if (m_nDialogID == 0) m_nDialogID = id;
    if (parent) m_hParentWnd = parent->GetSafeHwnd();
    const DialogTemplate* tmpl = FindResTemplate(m_hResModule, id);
    if (!tmpl) return FALSE;
    return CDialog::Create(tmpl, m_hParentWnd);
}

INT_PTR CResDialog::DoModal()
{
    const DialogTemplate* tmpl = FindResTemplate(m_hResModule, m_nDialogID);
    if (!tmpl) return -1;
    return CDialog::DoModal(tmpl, m_hParentWnd);
}

LONG CResDialog::LoadReslong(UINT id, HINSTANCE module)
{
    LONG value = 0;
    ReadRaw(id, module, &value, sizeof(value));
    return value;
}

POINT CResDialog::LoadRespoint(UINT id, HINSTANCE module)
{
    LONG raw[2];
    ReadRaw(id, module, raw, sizeof(raw));
    return POINT{raw[0], raw[1]};
}

RECT CResDialog::LoadResrect(UINT id, HINSTANCE module)
{
    LONG raw[4];
    ReadRaw(id, module, raw, sizeof(raw));
    return RECT{raw[0], raw[1], raw[2], raw[3]};
}

BOOL CResDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetPixelCoordinates();
    return TRUE;
}

void CResDialog::SetPixelCoordinates()
{
    const HWND hwnd = GetSafeHwnd();
    const DialogTemplate* tmpl = FindResTemplate(m_hResModule, GetDialogID());
    if (!hwnd || !tmpl) return;
    SetWindowPos(hwnd, HWND_TOP, tmpl->x, tmpl->y, tmpl->cx, tmpl->cy, SWP_HIDEWINDOW);
    for (const DialogItemTemplate& item : tmpl->items) {
        const HWND hwndItem = GetDlgItem(hwnd, static_cast<int>(item.nID));
        if (!hwndItem) break;
        MoveWindow(hwndItem, item.x, item.y, item.cx, item.cy, FALSE);
    }
}

} // namespace zent
