#include "widgets/DropList.h"

#include "diag/Trace.h"
#include "locale/AppFont.h"
#include "widgets/BmpComboBox.h"

#include <zent/platform/Font.h>

#include <algorithm>
#include <cstdint>

using namespace zent;

namespace {

// List box styles the list is made with, as the framework's list box knows them.
constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_OWNERDRAWFIXED = 0x0010;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD WS_VSCROLL = 0x00200000;

constexpr const wchar_t* kListWndClass = L"TorvixListWnd";

// The list's own colours until the pop-up and the combo box set theirs.
constexpr COLORREF kInitialGround = 0xFFFFFF;
constexpr COLORREF kInitialFrame = 0xFFFFFF;
constexpr COLORREF kInitialSelection = 0xEFF7F7;
// The pop-up's thin border and the scroll bar drawn over the list's right edge.
constexpr COLORREF kPopupBorderColour = RGB(100, 100, 100);
constexpr COLORREF kScrollTrackColour = RGB(56, 56, 56);
constexpr COLORREF kScrollThumbColour = RGB(140, 140, 140);

constexpr UINT kRowTextFormat = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

bool IsPress(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN ||
           message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK;
}

} // namespace

// --- CDropList ---------------------------------------------------------------------------------

CDropList::CDropList()
    : m_penFrame(CreatePen(PS_SOLID, 1, kInitialFrame)), m_brBackground(CreateSolidBrush(kInitialGround)),
      m_brSelection(CreateSolidBrush(kInitialSelection))
{
}

CDropList::~CDropList()
{
    DestroyWindow();
}

BOOL CDropList::Create(CListWnd* popup, const RECT& rc, UINT id)
{
    if (!popup || !popup->GetSafeHwnd()) return FALSE;
    m_pPopup = popup;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
                        LBS_NOINTEGRALHEIGHT;
    return CreateEx(0, kFontClassListBox, L"", style, rc, popup->GetSafeHwnd(), id);
}

int CDropList::AddRow(const std::wstring& text)
{
    m_vecRows.push_back(CDropRow{text, 0xFFFFFF, 0xFFFFFF});
    if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
    return GetCount() - 1;
}

const CDropRow* CDropList::GetRow(int index) const
{
    if (index < 0 || index >= GetCount()) return nullptr;
    return &m_vecRows[static_cast<std::size_t>(index)];
}

std::wstring CDropList::GetText(int index) const
{
    const CDropRow* row = GetRow(index);
    return row ? row->strText : std::wstring();
}

void CDropList::ResetContent()
{
    m_vecRows.clear();
    m_nCurSel = -1;
    m_nHotRow = -1;
    m_nTopIndex = 0;
    if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

int CDropList::SetCurSel(int index)
{
    if (index < -1 || index >= GetCount()) return -1;
    m_nCurSel = index;
    m_nHotRow = -1;
    if (index >= 0) EnsureVisible(index);
    if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
    return index;
}

int CDropList::GetClientHeight() const
{
    RECT rc{};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &rc);
    return rc.Height();
}

int CDropList::GetPageRows() const
{
    return std::max(1, GetClientHeight() / kRowHeight);
}

int CDropList::HasScrollBar() const
{
    return GetCount() * kRowHeight > GetClientHeight() ? 1 : 0;
}

int CDropList::GetMaxTopIndex() const
{
    return std::max(0, GetCount() - GetPageRows());
}

int CDropList::SetTopIndex(int index)
{
    const int top = std::clamp(index, 0, GetMaxTopIndex());
    if (top != m_nTopIndex) {
        m_nTopIndex = top;
        if (GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
    }
    return m_nTopIndex;
}

void CDropList::EnsureVisible(int row)
{
    if (row < m_nTopIndex) SetTopIndex(row);
    else if (row >= m_nTopIndex + GetPageRows()) SetTopIndex(row - GetPageRows() + 1);
}

void CDropList::SetFramePen(UniquePen pen)
{
    if (pen) m_penFrame = std::move(pen);
}

void CDropList::SetBackgroundBrush(UniqueBrush brush)
{
    if (brush) m_brBackground = std::move(brush);
}

void CDropList::SetSelectionBrush(UniqueBrush brush)
{
    if (brush) m_brSelection = std::move(brush);
}

void CDropList::OnDropped()
{
    m_nHotRow = -1;
    m_nWheelRest = 0;
    m_bChosen = 0;
    m_bBarDrag = 0;
    // The height may have changed since the last time: the top index must still be reachable.
    SetTopIndex(m_nTopIndex);
    if (m_nCurSel >= 0) EnsureVisible(m_nCurSel);
}

// --- painting ----------------------------------------------------------------------------------

void CDropList::DrawRow(HDC dc, int index, const RECT& rcRow)
{
    const CDropRow& row = m_vecRows[static_cast<std::size_t>(index)];
    const int shown = m_nHotRow >= 0 ? m_nHotRow : m_nCurSel;
    const bool bSelected = index == shown;
    CSelectObject<HPEN> pen(dc, m_penFrame.get());
    CSelectObject<HBRUSH> brush(dc, bSelected ? m_brSelection.get() : m_brBackground.get());
    SetTextColor(dc, bSelected ? row.clrSelText : row.clrText);
    Rectangle(dc, rcRow.left - 1, rcRow.top - 1, rcRow.right + 1, rcRow.bottom + 1);
    RECT rcText{rcRow.left + 4, rcRow.top, rcRow.right - 5, rcRow.bottom};
    DrawText(dc, row.strText, &rcText, kRowTextFormat);
}

RECT CDropList::GetScrollThumbRect() const
{
    RECT rc{};
    if (GetSafeHwnd()) GetClientRect(GetSafeHwnd(), &rc);
    const int h = rc.Height();
    const int count = std::max(GetCount(), 1);
    const int thumbH = std::min(h, std::max(kScrollThumbMinHeight, h * GetPageRows() / count));
    const int maxTop = GetMaxTopIndex();
    const int top = maxTop > 0 ? (h - thumbH) * m_nTopIndex / maxTop : 0;
    return RECT{rc.right - kScrollBarWidth, top, rc.right, top + thumbH};
}

void CDropList::DrawScrollBar(HDC dc, const RECT& rcClient)
{
    const RECT rcTrack{rcClient.right - kScrollBarWidth, rcClient.top, rcClient.right, rcClient.bottom};
    FillSolidRect(dc, &rcTrack, kScrollTrackColour);
    RECT rcThumb = GetScrollThumbRect();
    rcThumb.left += 1;
    rcThumb.right -= 1;
    FillSolidRect(dc, &rcThumb, kScrollThumbColour);
}

void CDropList::OnPaint()
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(GetSafeHwnd(), &ps);
    if (dc) {
        RECT rcClient{};
        GetClientRect(GetSafeHwnd(), &rcClient);
        FillRect(dc, &rcClient, m_brBackground.get());
        const bool bBar = HasScrollBar() != 0;
        const int right = rcClient.right - (bBar ? kScrollBarWidth : 0);
        CSelectObject<HFONT> font(dc, m_hFont ? m_hFont : GetStockFont(DEFAULT_GUI_FONT));
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        for (int i = m_nTopIndex; i < GetCount(); ++i) {
            const int top = (i - m_nTopIndex) * kRowHeight;
            if (top >= rcClient.bottom) break;
            DrawRow(dc, i, RECT{0, top, right, top + kRowHeight});
        }
        SetBkMode(dc, oldMode);
        if (bBar) DrawScrollBar(dc, rcClient);
    }
    EndPaint(GetSafeHwnd(), &ps);
}

// --- input -------------------------------------------------------------------------------------

void CDropList::Choose(int row)
{
    if (m_bChosen || row < 0 || row >= GetCount() || !m_pPopup) return;
    m_bChosen = 1;
    SetCurSel(row);
    PostMessage(m_pPopup->GetSafeHwnd(), WM_COMBO_SELECT, 0, 0);
}

void CDropList::OnPress(UINT message, UINT flags, POINT pt)
{
    POINT inPopup = pt;
    MapWindowPoints(GetSafeHwnd(), m_pPopup->GetSafeHwnd(), &inPopup, 1);
    RECT rcPopup{};
    GetClientRect(m_pPopup->GetSafeHwnd(), &rcPopup);
    if (!rcPopup.Contains(inPopup)) {
        POINT screen = pt;
        ClientToScreen(GetSafeHwnd(), &screen);
        m_pPopup->OnOutsidePress(message, flags, screen);
        return;
    }
    RECT rcClient{};
    GetClientRect(GetSafeHwnd(), &rcClient);
    // The pop-up's frame, the other buttons and the second press of a double click do nothing.
    if (message != WM_LBUTTONDOWN || !rcClient.Contains(pt)) return;
    if (HasScrollBar() && pt.x >= rcClient.right - kScrollBarWidth) {
        const RECT rcThumb = GetScrollThumbRect();
        if (pt.y < rcThumb.top) {
            SetTopIndex(m_nTopIndex - GetPageRows());
        } else if (pt.y >= rcThumb.bottom) {
            SetTopIndex(m_nTopIndex + GetPageRows());
        } else {
            m_bBarDrag = 1;
            m_nBarGrab = pt.y - rcThumb.top;
        }
        return;
    }
    Choose(m_nTopIndex + pt.y / kRowHeight);
}

void CDropList::MoveHotRow(int row)
{
    if (GetCount() == 0) return;
    m_nHotRow = std::clamp(row, 0, GetCount() - 1);
    EnsureVisible(m_nHotRow);
    InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

void CDropList::OnKey(UINT key)
{
    const int current = m_nHotRow >= 0 ? m_nHotRow : m_nCurSel;
    switch (key) {
    case VK_UP: MoveHotRow(current < 0 ? 0 : current - 1); break;
    case VK_DOWN: MoveHotRow(current < 0 ? 0 : current + 1); break;
    case VK_PRIOR: MoveHotRow(current - GetPageRows()); break;
    case VK_NEXT: MoveHotRow(current < 0 ? GetPageRows() - 1 : current + GetPageRows()); break;
    case VK_HOME: MoveHotRow(0); break;
    case VK_END: MoveHotRow(GetCount() - 1); break;
    case VK_RETURN: Choose(current); break;
    case VK_ESCAPE:
        if (m_pPopup) m_pPopup->Deactivate();
        break;
    default: break;
    }
}

LRESULT CDropList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsPress(message)) {
        if (m_pPopup) OnPress(message, static_cast<UINT>(wParam), MakePoint(lParam));
        return 0;
    }
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
        m_hFont = reinterpret_cast<HFONT>(wParam);
        if (lParam && GetSafeHwnd()) InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_hFont);
    case WM_MOUSEMOVE:
        if (m_bBarDrag) {
            const RECT rcThumb = GetScrollThumbRect();
            const int travel = GetClientHeight() - rcThumb.Height();
            const int y = MakePoint(lParam).y - m_nBarGrab;
            if (travel > 0) SetTopIndex((y * GetMaxTopIndex() + travel / 2) / travel);
        }
        return 0;
    case WM_LBUTTONUP: m_bBarDrag = 0; return 0;
    case WM_MOUSEWHEEL: {
        m_nWheelRest += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = m_nWheelRest / WHEEL_DELTA;
        m_nWheelRest -= notches * WHEEL_DELTA;
        if (notches) SetTopIndex(m_nTopIndex - notches * kWheelRows);
        return 0;
    }
    case WM_KEYDOWN: OnKey(static_cast<UINT>(wParam)); return 0;
    case WM_KILLFOCUS:
        if (m_pPopup) m_pPopup->Deactivate();
        return 0;
    case WM_CAPTURECHANGED:
        // Without the capture the list would never see the press that should close it.
        if (m_pPopup && reinterpret_cast<HWND>(lParam) != GetSafeHwnd()) m_pPopup->Deactivate();
        return 0;
    default: return CWnd::OnMessage(message, wParam, lParam);
    }
}

// --- CListWnd ----------------------------------------------------------------------------------

CListWnd::CListWnd() = default;

CListWnd::~CListWnd()
{
    m_bDestroying = 1;
    DestroyWindow();
    m_pDropList.reset();
}

int CListWnd::CreateDropList(CBmpComboBox* owner, UINT notifyCode)
{
    if (!owner || !owner->GetSafeHwnd() || GetSafeHwnd()) return 0;
    m_pOwner = owner;
    m_hwndOwner = owner->GetSafeHwnd();
    m_nNotifyCode = notifyCode;
    // Owned by the dialog's top-level window, so it goes when the dialog goes.
    if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kListWndClass, L"", WS_POPUP | WS_BORDER, RECT{0, 0, 200, 200},
                  m_hwndOwner, 0))
        return 0;
    auto list = std::make_unique<CDropList>();
    const RECT rcList{kFrameWidth, kFrameWidth, 200 - kFrameWidth, 200 - kFrameWidth};
    if (!list->Create(this, rcList, kDropListId)) {
        DestroyWindow();
        return 0;
    }
    m_pDropList = std::move(list);
    m_pDropList->SetFramePen(UniquePen(CreatePen(PS_SOLID, 1, CBmpComboBox::kListColour)));
    m_pDropList->SetBackgroundBrush(UniqueBrush(CreateSolidBrush(CBmpComboBox::kListColour)));
    InvalidateRect(m_pDropList->GetSafeHwnd(), nullptr, TRUE);
    SetFontToObject(m_pDropList.get(), 14, 0, 956, 5, L"");
    return 1;
}

int CListWnd::IsDropped() const
{
    return GetSafeHwnd() && IsWindowVisible(GetSafeHwnd()) ? 1 : 0;
}

void CListWnd::ShowDropList(const RECT& rcScreen)
{
    const HWND hwnd = GetSafeHwnd();
    if (!hwnd || !m_pDropList) return;
    MoveWindow(hwnd, rcScreen.left, rcScreen.top, rcScreen.Width(), rcScreen.Height(), FALSE);
    // The platform draws no window frames: the pop-up draws its thin border itself and the list
    // fills what lies inside it.
    MoveWindow(m_pDropList->GetSafeHwnd(), kFrameWidth, kFrameWidth, rcScreen.Width() - 2 * kFrameWidth,
               rcScreen.Height() - 2 * kFrameWidth, FALSE);
    m_pDropList->OnDropped();
    ShowWindow(hwnd, SW_SHOW);
    InvalidateRect(hwnd, nullptr, TRUE);
    SetCapture(m_pDropList->GetSafeHwnd());
}

void CListWnd::HideDropList()
{
    const HWND hwnd = GetSafeHwnd();
    if (!hwnd || !m_pDropList) return;
    const HWND hwndList = m_pDropList->GetSafeHwnd();
    const bool bHadFocus = hwndList && GetFocus() == hwndList;
    // Hidden first, so that the capture and focus changes below are not taken for the user
    // leaving the list.
    ShowWindow(hwnd, SW_HIDE);
    if (hwndList && GetCapture() == hwndList) ReleaseCapture();
    if (bHadFocus && !m_bDestroying && IsWindow(m_hwndOwner)) {
        const HWND hwndDialog = GetParent(m_hwndOwner);
        if (hwndDialog) SetFocus(hwndDialog);
    }
}

void CListWnd::OnActivate(UINT state, HWND hwndOther, BOOL bMinimized)
{
    TraceA("##### %s(%d, 0x%x, %d)", "CListWnd::OnActivate", static_cast<int>(state),
           static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(hwndOther)), static_cast<int>(bMinimized));
    if (state != WA_INACTIVE) return;
    HideDropList();
    if (IsWindow(m_hwndOwner)) PostMessage(m_hwndOwner, WM_COMBO_DEACTIVATE, 0, 0);
}

void CListWnd::Deactivate()
{
    if (m_bDestroying || !IsDropped()) return;
    OnActivate(WA_INACTIVE, nullptr, FALSE);
}

void CListWnd::OnOutsidePress(UINT message, UINT flags, POINT ptScreen)
{
    Deactivate();
    // The press does nothing else, unless it fell on the combo box: there it is the combo box's
    // own press, which closes the list as before.
    if (message != WM_LBUTTONDOWN || !m_pOwner || !IsWindow(m_hwndOwner)) return;
    const HWND hwndDialog = GetParent(m_hwndOwner);
    if (!hwndDialog) return;
    POINT pt = ptScreen;
    ScreenToClient(hwndDialog, &pt);
    if (m_pOwner->GetVisibleCtrl() && m_pOwner->GetControlPos().Contains(pt))
        SendMessage(hwndDialog, WM_LBUTTONDOWN, flags, MAKELPARAM(pt.x, pt.y));
}

void CListWnd::NotifyOwner()
{
    if (!m_pDropList || !IsWindow(m_hwndOwner)) return;
    PostMessage(m_hwndOwner, WM_COMBO_SELECT, m_nNotifyCode, m_pDropList->GetCurSel());
}

void CListWnd::OnPaint()
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(GetSafeHwnd(), &ps);
    if (dc) {
        RECT rc{};
        GetClientRect(GetSafeHwnd(), &rc);
        FillSolidRect(dc, &rc, kPopupBorderColour);
    }
    EndPaint(GetSafeHwnd(), &ps);
}

LRESULT CListWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMBO_SELECT: NotifyOwner(); return 0;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_DESTROY:
        m_bDestroying = 1;
        return CWnd::OnMessage(message, wParam, lParam);
    default: return CWnd::OnMessage(message, wParam, lParam);
    }
}
