// The player window's view modes and the layout of its four video views.

#include "app/TorvixPlayerMainDlg.h"

#include "app/TorvixPlayerDocument.h"
#include "diag/Trace.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Gdi.h>
#include <zent/platform/Paths.h>
#include <zent/util/QLBMLoader.h>

using namespace zent;

namespace {

// The pictures keep the camera's 16:9.
constexpr int kAspectW = 960;
constexpr int kAspectH = 540;
constexpr int kTopNormal = 76;
constexpr int kTopFull = 43;

// The largest 16:9 rectangle inside w x h.
SIZE FitAspect(int w, int h)
{
    if (w <= 0 || h <= 0) return SIZE{0, 0};
    if (static_cast<long long>(w) * kAspectH <= static_cast<long long>(h) * kAspectW)
        return SIZE{w, static_cast<LONG>(static_cast<long long>(w) * kAspectH / kAspectW)};
    return SIZE{static_cast<LONG>(static_cast<long long>(h) * kAspectW / kAspectH), h};
}

} // namespace

std::array<RECT, 4> ComputeVideoLayout(int nMode, int n, const RECT& rcArea)
{
    std::array<RECT, 4> rc{};
    const int w = rcArea.Width();
    const int h = rcArea.Height();
    switch (n) {
    case 0: {
        const SIZE size = FitAspect(w, h);
        const int view = (nMode >= 0 && nMode <= 3) ? nMode : 0;
        const int x = rcArea.left + (w - size.cx) / 2;
        const int y = rcArea.top + (h - size.cy) / 2;
        rc[static_cast<std::size_t>(view)] = RECT{x, y, x + size.cx, y + size.cy};
        break;
    }
    case 1: {
        // Side by side or one above the other, whichever gives the larger pictures.
        const SIZE beside = FitAspect(w / 2, h);
        const SIZE above = FitAspect(w, h / 2);
        if (beside.cx >= above.cx) {
            const int x = rcArea.left + (w - 2 * beside.cx) / 2;
            const int y = rcArea.top + (h - beside.cy) / 2;
            rc[0] = RECT{x, y, x + beside.cx, y + beside.cy};
            rc[1] = RECT{x + beside.cx, y, x + 2 * beside.cx, y + beside.cy};
        } else {
            const int x = rcArea.left + (w - above.cx) / 2;
            const int y = rcArea.top + (h - 2 * above.cy) / 2;
            rc[0] = RECT{x, y, x + above.cx, y + above.cy};
            rc[1] = RECT{x, y + above.cy, x + above.cx, y + 2 * above.cy};
        }
        break;
    }
    case 2: {
        // Four quarters that fill the area, starting 2 pixels from its left edge.
        const int left = rcArea.left + 2;
        const int qw = (rcArea.right - left) / 2;
        const int qh = h / 2;
        for (int i = 0; i < 4; ++i) {
            const int x = left + (i % 2) * qw;
            const int y = rcArea.top + (i / 2) * qh;
            rc[static_cast<std::size_t>(i)] = RECT{x, y, x + qw, y + qh};
        }
        break;
    }
    default: break; // no picture at all
    }
    return rc;
}

void CTorvixPlayerMainDlg::ChangeVideoViewMode(int nMode, int n)
{
    RECT rcArea{};
    if (m_nScreenMode == kScreenFull) {
        RECT rcWindow{};
        GetClientRect(GetSafeHwnd(), &rcWindow);
        rcArea = RECT{0, kTopFull, rcWindow.right, rcWindow.bottom};
    } else {
        rcArea = RECT{0, kTopNormal, kAspectW, kTopNormal + kAspectH};
        if (QLBMLoader* loader = GetSkinLoader()) {
            RECT rcSkin{};
            if (loader->GetRect(static_cast<int>(skin::kVideoArea), &rcSkin) && !rcSkin.IsEmpty()) rcArea = rcSkin;
        }
    }
    TraceA("### %s() - rtVideo(%d, %d, %d, %d)\n", "CTorvixPlayerMainDlg::ChangeVideoViewMode", rcArea.left,
           rcArea.top, rcArea.right, rcArea.bottom);
    const std::array<RECT, 4> rc = ComputeVideoLayout(nMode, n, rcArea);
    for (std::size_t i = 0; i < m_views.size(); ++i) {
        const HWND hwnd = m_views[i].GetSafeHwnd();
        if (!hwnd) continue;
        if (rc[i].IsEmpty()) {
            ShowWindow(hwnd, SW_HIDE);
            continue;
        }
        MoveWindow(hwnd, rc[i].left, rc[i].top, rc[i].Width(), rc[i].Height(), TRUE);
        ShowWindow(hwnd, SW_SHOW);
    }
}

void CTorvixPlayerMainDlg::SetViewModeCommand(int nMode)
{
    if (!m_pPlayer || !m_pPlayer->IsPlaying()) return;
    const int nFiles = m_pPlayer->GetFileCount();
    if ((nMode == 2 && nFiles <= 2) || (nMode == 3 && nFiles <= 3)) return;
    const int nChannel = Doc() ? Doc()->m_nChannelCode : (nFiles <= 1 ? 0 : nFiles == 2 ? 1 : 2);
    const bool bOneChannel = nFiles <= 1;
    m_nViewMode = bOneChannel ? 0 : nMode;
    if (Doc()) Doc()->m_nViewMode = m_nViewMode;
    UpdateViewButtons();
    UpdateFileNameLabel();
    const int n = (m_nViewMode == 4 && !bOneChannel && m_nScreenMode != kScreenFull) ? nChannel : 0;
    ChangeVideoViewMode(m_nViewMode, n);
}

void CTorvixPlayerMainDlg::UpdateViewButtons()
{
    struct Entry {
        CBmpButton* button;
        int mode;
        skin::ButtonIds ids;
        UINT selected;
    };
    const Entry entries[] = {
        {&m_btnFront, 0, skin::kViewFront, skin::kViewFrontSelected},
        {&m_btnRear, 1, skin::kViewRear, skin::kViewRearSelected},
        {&m_btnCh3, 2, skin::kViewCh3, skin::kViewCh3Selected},
        {&m_btnCh4, 3, skin::kViewCh4, skin::kViewCh4Selected},
        {&m_btnFrontRear, 4, skin::kViewFrontRear, skin::kViewFrontRearSelected},
    };
    const int nFiles = m_pPlayer ? m_pPlayer->GetFileCount() : 0;
    for (const Entry& e : entries) {
        e.button->SetBitmap(0, GetSkinLoader(), e.mode == m_nViewMode ? e.selected : e.ids.normal);
        // Channels 3 and 4 exist only for recordings of that many files.
        const bool bDisabled = (e.mode == 2 && nFiles <= 2) || (e.mode == 3 && nFiles <= 3);
        e.button->SetDisableCtrl(bDisabled ? 1 : 0, 0);
        e.button->Draw();
    }
}

void CTorvixPlayerMainDlg::UpdateFileNameLabel()
{
    std::wstring path = m_strPlayFile;
    if (m_nViewMode == 1 && m_pPlayer && m_pPlayer->GetFileCount() > 1) {
        const std::wstring rear = CRecordingCatalog::FindPairFile(m_strPlayFile, m_vecShown);
        if (!rear.empty()) path = rear;
    }
    m_txtFileName.SetText(std::wstring(BareFileName(path)), 1);
    const int nFiles = m_pPlayer ? m_pPlayer->GetFileCount() : 0;
    m_txtChannel.SetText(nFiles > 0 ? std::to_wstring(nFiles) + L"CH" : std::wstring(), 1);
}
