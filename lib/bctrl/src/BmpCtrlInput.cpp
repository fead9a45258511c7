#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpCtrlInput.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace zent {

int CBmpCtrlInput::SetControlArray(const std::vector<CBmpCtrl*>* pArray)
{
    m_pArray = pArray;
    return 1;
}

int CBmpCtrlInput::SetWindowRect(const RECT& rc)
{
    m_rcWindow = rc;
    return 1;
}

bool CBmpCtrlInput::IsEligible(const CBmpCtrl* ctrl) const
{
    return ctrl && !ctrl->GetDisableCtrl() && ctrl->GetVisibleCtrl() == 1 && ctrl->GetRemocon() == 1;
}

bool CBmpCtrlInput::Contains(const CBmpCtrl* ctrl) const
{
    return m_pArray && std::find(m_pArray->begin(), m_pArray->end(), ctrl) != m_pArray->end();
}

namespace {
void ChangeFocus(CBmpCtrl* ctrl, int focus, UINT key)
{
    if (ctrl->FocusChange(focus, key) == 1) ctrl->Draw();
}
} // namespace

void CBmpCtrlInput::MoveFocus(CBmpCtrl* next, UINT key)
{
    if (m_pFocused && m_pFocused != next) ChangeFocus(m_pFocused, 0, key);
    ChangeFocus(next, 1, key);
    m_pFocused = next;
    for (CBmpCtrl* ctrl : *m_pArray)
        if (ctrl != next && ctrl->GetFocusCtrl()) ChangeFocus(ctrl, 0, key);
}

CBmpCtrl* CBmpCtrlInput::InputKey(int key)
{
    if (!m_pArray || m_pArray->empty()) return nullptr;
    const UINT uKey = static_cast<UINT>(key);
    // A focus that has left the array (or become ineligible) is stale.
    if (m_pFocused && !Contains(m_pFocused)) m_pFocused = nullptr;
    if (!m_pFocused) {
        for (CBmpCtrl* ctrl : *m_pArray) {
            if (!IsEligible(ctrl)) continue;
            ChangeFocus(ctrl, 1, uKey);
            m_pFocused = ctrl;
            return ctrl;
        }
        return nullptr;
    }
    if (m_pFocused->KeyInput(uKey)) return m_pFocused;
    CBmpCtrl* next = CalcFocusMove(key);
    if (next && next != m_pFocused) MoveFocus(next, uKey);
    return m_pFocused;
}

CBmpCtrl* CBmpCtrlInput::CalcFocusMove(int key) const
{
    if (key < 0x25 || key > 0x28) return m_pFocused;
    const RECT R = m_pFocused->GetControlPos();
    const POINT C = m_pFocused->GetCenterPos();
    const int winW = m_rcWindow.right - m_rcWindow.left;
    const int winH = m_rcWindow.bottom - m_rcWindow.top;
    for (int pass = 0; pass < 2; ++pass) {
        CBmpCtrl* best = nullptr;
        long long bestDist = LLONG_MAX;
        for (CBmpCtrl* ctrl : *m_pArray) {
            if (ctrl == m_pFocused || !IsEligible(ctrl)) continue;
            const RECT r = ctrl->GetControlPos();
            const POINT c = ctrl->GetCenterPos();
            long long gap = 0;
            long long cross = 0;
            bool counts = true;
            switch (key) {
            case 0x25: // left
                cross = std::llabs(static_cast<long long>(C.y) - c.y);
                if (pass == 0) {
                    counts = r.right <= R.left;
                    gap = R.left - r.right;
                } else {
                    gap = r.right < R.left ? R.left - r.right : R.left + winW - r.right;
                }
                break;
            case 0x26: // up
                cross = std::llabs(static_cast<long long>(C.x) - c.x);
                if (pass == 0) {
                    counts = r.bottom <= R.top;
                    gap = R.top - r.bottom;
                } else {
                    gap = r.bottom < R.top ? R.top - r.bottom : R.top + winH - r.bottom;
                }
                break;
            case 0x27: // right
                cross = std::llabs(static_cast<long long>(C.y) - c.y);
                if (pass == 0) {
                    counts = r.left >= R.right;
                    gap = r.left - R.right;
                } else {
                    gap = r.left > R.right ? r.left - R.right : r.left + winW - R.right;
                }
                break;
            default: // down
                cross = std::llabs(static_cast<long long>(C.x) - c.x);
                if (pass == 0) {
                    counts = r.top >= R.bottom;
                    gap = r.top - R.bottom;
                } else {
                    gap = r.top > R.bottom ? r.top - R.bottom : r.top + winH - R.bottom;
                }
                break;
            }
            if (!counts) continue;
            const long long dist =
                static_cast<long long>(std::sqrt(static_cast<double>(gap * gap + cross * cross)));
            if (dist < bestDist) {
                bestDist = dist;
                best = ctrl;
            }
        }
        if (best) return best;
    }
    return m_pFocused;
}

int CBmpCtrlInput::FocusChange(CBmpCtrl* ctrl)
{
    if (!ctrl) return 0;
    if (ctrl == m_pFocused) return 1;
    if (!Contains(ctrl)) return 0;
    if (!IsEligible(ctrl)) {
        ctrl = nullptr;
        for (CBmpCtrl* c : *m_pArray)
            if (IsEligible(c)) {
                ctrl = c;
                break;
            }
        if (!ctrl) return 0;
        if (ctrl == m_pFocused) return 1;
    }
    MoveFocus(ctrl, 0);
    return 1;
}

int CBmpCtrlInput::FocusKill(CBmpCtrl* ctrl)
{
    if (!ctrl || ctrl != m_pFocused) return 0;
    if (ctrl->FocusChange(0, 0) != 1) return 0;
    ctrl->Draw();
    m_pFocused = nullptr;
    return 1;
}

int CBmpCtrlInput::BothIncludeZone(int a1, int a2, int b1, int b2)
{
    return (a1 <= b1 && b2 <= a2) || (b1 <= a1 && a2 <= b2) ? 1 : 0;
}

int CBmpCtrlInput::BothOverlapZone(int a1, int a2, int b1, int b2)
{
    return a1 < b2 && b1 < a2 ? 1 : 0;
}

} // namespace zent
