#include "widgets/BmpComboBox.h"

#include "widgets/SkinLoader.h"

#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>

using namespace zent;

CBmpComboBox::CBmpComboBox() = default;

CBmpComboBox::~CBmpComboBox()
{
    // The pop-up first: it posts to this control's window while it goes.
    m_pListWnd.reset();
}

int CBmpComboBox::InitControl(UINT ctrlId, UINT imageId, UINT openImageId, UINT notifyCode)
{
    QLBMLoader* loader = GetSkinLoader();
    if (!loader) return 0;
    if (!CBmpCtrl::InitControl(1)) return 0;
    m_nCtrlId = ctrlId;
    m_clrText = kTextColour;
    m_clrEffect = kTextEffectColour;
    m_rcPlace = RECT{};
    loader->GetRect(static_cast<int>(imageId), &m_rcPlace);
    m_rcCtrl = m_rcPlace;
    if (GetSafeHwnd()) {
        // The dialog paints the control from now on; its own window only stays out of the way.
        MoveWindow(GetSafeHwnd(), m_rcPlace.left, m_rcPlace.top, m_rcPlace.Width(), m_rcPlace.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    m_kImage.Load(loader, imageId);
    m_kOpenImage.Load(loader, openImageId);
    m_bOpen = 0;
    m_pListWnd.reset();
    auto listWnd = std::make_unique<CListWnd>();
    if (!listWnd->CreateDropList(this, notifyCode)) return 0;
    m_pListWnd = std::move(listWnd);
    m_nListHeightLimit = kDefaultListHeightLimit;
    m_nListWidth = m_rcCtrl.Width();
    CDropList* list = m_pListWnd->GetDropList();
    list->SetSelectionBrush(UniqueBrush(CreateSolidBrush(kSelectionColour)));
    InvalidateRect(list->GetSafeHwnd(), nullptr, TRUE);
    return 1;
}

CDropList* CBmpComboBox::GetDropList()
{
    return m_pListWnd ? m_pListWnd->GetDropList() : nullptr;
}

int CBmpComboBox::AddString(const std::wstring& text)
{
    CDropList* list = GetDropList();
    return list ? list->AddRow(text) : -1;
}

int CBmpComboBox::GetCurSel() const
{
    const CDropList* list = m_pListWnd ? m_pListWnd->GetDropList() : nullptr;
    return list ? list->GetCurSel() : -1;
}

void CBmpComboBox::SetCurSel(int index, int redraw)
{
    if (CDropList* list = GetDropList()) list->SetCurSel(index);
    if (redraw) Draw();
}

int CBmpComboBox::GetCount() const
{
    const CDropList* list = m_pListWnd ? m_pListWnd->GetDropList() : nullptr;
    return list ? list->GetCount() : 0;
}

void CBmpComboBox::ResetContent()
{
    if (CDropList* list = GetDropList()) list->ResetContent();
    Draw();
}

std::wstring CBmpComboBox::GetCurText() const
{
    const CDropList* list = m_pListWnd ? m_pListWnd->GetDropList() : nullptr;
    return list ? list->GetText(list->GetCurSel()) : std::wstring();
}

void CBmpComboBox::SetListHeightLimit(int h)
{
    // Below one row the pop-up would open as its frame alone.
    m_nListHeightLimit = std::max(h, CDropList::kRowHeight);
}

void CBmpComboBox::SetTextColors(COLORREF text, COLORREF effect)
{
    m_clrText = text;
    m_clrEffect = effect;
}

RECT CBmpComboBox::GetDropRect() const
{
    RECT rcDialog{};
    if (const HWND hwndDialog = GetParentWnd()) GetWindowRect(hwndDialog, &rcDialog);
    RECT rc{m_rcPlace.left + rcDialog.left, m_rcPlace.top + rcDialog.top, m_rcPlace.right + rcDialog.left,
            m_rcPlace.bottom + rcDialog.top};
    rc.left += m_nListOffset;
    if (m_nListWidth > 0) rc.right = rc.left + m_nListWidth;
    const int rows = GetCount();
    int h = m_nListHeightLimit;
    if (rows > 0 && rows * CDropList::kRowHeight < m_nListHeightLimit) h = rows * CDropList::kRowHeight;
    rc.top = m_nDropDirection == 1 ? rc.top - h - 1 : rc.bottom + 1;
    rc.bottom = rc.top + h;
    // Room for the thin border above and below the rows.
    rc.top -= 1;
    rc.bottom += 1;
    return rc;
}

void CBmpComboBox::SendDrop(int dropped)
{
    if (const HWND parent = GetParentWnd())
        SendMessage(parent, WM_COMBO_DROP, static_cast<WPARAM>(dropped), reinterpret_cast<LPARAM>(GetSafeHwnd()));
}

int CBmpComboBox::LButtonDown(UINT, POINT)
{
    if (m_bDisable || !m_pListWnd) return 1;
    if (m_bOpen) {
        SendDrop(0);
        m_pListWnd->HideDropList();
        m_bOpen = 0;
        Draw();
        return 1;
    }
    m_bOpen = 1;
    SendDrop(1);
    // The dialog may have closed or taken the control away while it was told.
    if (!m_bOpen || m_bDisable || !m_bVisible) return 1;
    m_pListWnd->ShowDropList(GetDropRect());
    if (CDropList* list = m_pListWnd->GetDropList()) SetFocus(list->GetSafeHwnd());
    Draw();
    return 1;
}

void CBmpComboBox::CloseQuietly()
{
    if (m_pListWnd) m_pListWnd->HideDropList();
    m_bOpen = 0;
}

int CBmpComboBox::SetDisableCtrl(int disable, int redraw)
{
    // A pop-up left open over a disabled or hidden combo box could still choose rows.
    if (disable && m_bOpen) CloseQuietly();
    return CBmpCtrl::SetDisableCtrl(disable, redraw);
}

int CBmpComboBox::SetVisibleCtrl(int visible, int redraw)
{
    if (!visible && m_bOpen) CloseQuietly();
    return CBmpCtrl::SetVisibleCtrl(visible, redraw);
}

int CBmpComboBox::DrawCtrl(HDC dc, POINT origin)
{
    if (!m_bVisible) return 1;
    CZuImage& image = (m_bOpen && m_kOpenImage.IsLoaded()) ? m_kOpenImage : m_kImage;
    image.Draw(dc, origin.x, origin.y);
    const std::wstring text = GetCurText();
    if (!text.empty()) {
        RECT rc{origin.x + m_nTextOffset, origin.y, origin.x + m_rcCtrl.Width() - kArrowWidth,
                origin.y + m_rcCtrl.Height()};
        DrawTextW(GetTextDrawStyle(), m_nTextFormat, text, dc, &rc, m_hFont, m_clrText, m_clrEffect);
    }
    return 1;
}

LRESULT CBmpComboBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMBO_SELECT:
        if (m_pListWnd) m_pListWnd->HideDropList();
        if (const HWND parent = GetParentWnd()) PostMessage(parent, WM_COMBO_SELECT, wParam, lParam);
        m_bOpen = 0;
        Draw();
        return 0;
    case WM_COMBO_DEACTIVATE:
        m_bOpen = 0;
        Draw();
        return 0;
    default: return CBmpCtrl::OnMessage(message, wParam, lParam);
    }
}
