// The player window's map beside the video: the route of the opened recording, the play position
// and the district of the place; and the speed-camera page over the idle video area.

#include "app/TorvixPlayerMainDlg.h"

#include "locale/Settings.h"
#include "recording/TorvixGpsData.h"

using namespace zent;

void CTorvixPlayerMainDlg::OnOpenRoute()
{
    const CTorvixGpsData* track = m_graph.GetGpsData();
    m_map.Reset();
    m_map.SetSpeedUnit(m_nSpeedUnit);
    m_map.SetGpsData(track, m_nDuration);
    m_map.ShowRoute(track && track->GetGpsCount() > 0 && track->IsValidGps());
    UpdateSpeedcamPanel();
}

void CTorvixPlayerMainDlg::OnCloseRoute()
{
    m_map.Reset();
    UpdateSpeedcamPanel();
}

void CTorvixPlayerMainDlg::OnPlacePosition(int nSecond, const std::wstring& place)
{
    // The map keeps the name until its page can show it.
    m_map.SetAdminDistrictName(place);
    if (!m_map.IsPlotted(nSecond)) m_map.DrawPosition(nSecond);
}

void CTorvixPlayerMainDlg::OnSeekRoute(int nSecond)
{
    // The route up to the new second, in one round trip to the page.
    m_map.Replot(nSecond);
}

void CTorvixPlayerMainDlg::UpdateSpeedcamPanel()
{
    // Over the idle video area only, and only once its page is there (offline, the start picture
    // stays).
    const bool bShow = !m_bPlayStarted && m_speedcam.IsLoaded() && m_nScreenMode != kScreenFull;
    if (static_cast<bool>(m_speedcam.GetVisibleCtrl()) != bShow) m_speedcam.SetVisibleCtrl(bShow ? 1 : 0, 1);
}
