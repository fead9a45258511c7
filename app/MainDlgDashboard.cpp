// The player window's dashboard beside the video: the play position handed every second to the
// speed gauge, the graph and its read-out, the map's place text and the time labels; and what
// opening, closing and the graph-mode buttons do to them.

#include "app/TorvixPlayerMainDlg.h"

#include "app/DashboardText.h"
#include "app/EventMarks.h"
#include "diag/Trace.h"
#include "locale/Settings.h"
#include "recording/TorvixGpsData.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Gdi.h>
#include <zent/platform/Paths.h>

#include <cmath>

using namespace zent;

namespace {

// The event marks: the accent of the skin's event rows.
constexpr COLORREF kEventMarkColour = RGB(0xFF, 0x5A, 0x00);

bool HasPosition(const GpsFix& fix)
{
    return !std::isnan(fix.latitude) && !std::isnan(fix.longitude);
}

} // namespace

// --- the play position -----------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnChangePlayPos(int nDuration, int nPlayTime)
{
    if (!m_pPlayer) return;
    if (m_nPlayPos > m_nDuration) {
        TraceA("CTorvixPlayerMainDlg::OnChangePlayPos - PASS !! (%d, %d)\n", nDuration, nPlayTime);
        return;
    }
    if (m_bIs4K) m_nDuration = nDuration;
    m_nPlayPos = nPlayTime;

    UpdateDashboard();

    const int maximum = m_sliderVideo.GetMaximum();
    if (nDuration > 0 && maximum != nDuration && !m_sliderVideo.IsPressed()) {
        // The container's duration and the engine's can differ by a second; the bar spans the longer.
        m_sliderVideo.SetMaximum(std::max(nDuration, maximum));
        SetTimeLabel(m_txtTotalTime, std::max(nDuration, maximum));
    }
    if (m_nPlayPos <= m_sliderVideo.GetMaximum() && !m_sliderVideo.IsPressed()) {
        const int pos = m_sliderVideo.GetReverse() ? m_sliderVideo.GetMaximum() - m_nPlayPos : m_nPlayPos;
        m_sliderVideo.SetPos(pos, 1);
    }

    if (!m_sliderVideo.IsPressed()) {
        m_strPlaceText = GetPlaceText(m_nPlayPos);
        OnPlacePosition(m_nPlayPos, m_strPlaceText);
    }
    SetTimeLabel(m_txtPlayTime, m_nPlayPos);
}

// The track sample of a play second, when the recording has one with a position.
bool CTorvixPlayerMainDlg::GetSampleAt(int nSecond, GpsFix& fix) const
{
    const CTorvixGpsData* track = m_graph.GetGpsData();
    if (!track || m_nDuration <= 0) return false;
    const int count = track->GetGpsCount();
    if (count <= 0) return false;
    const int index = static_cast<int>(static_cast<float>(count) * static_cast<float>(nSecond) /
                                       static_cast<float>(m_nDuration));
    return track->GetGpsData(index, fix) != 0;
}

std::wstring CTorvixPlayerMainDlg::GetPlaceText(int nSecond)
{
    GpsFix fix;
    if (GetSampleAt(nSecond, fix) && HasPosition(fix)) return m_districts.GetAdminDistrictName(fix.latitude, fix.longitude);
    return m_listVideo.GetItemText(m_nSelIndex, 4);
}

void CTorvixPlayerMainDlg::UpdateDashboard()
{
    // In full screen the overlay keeps its own copy up to date.
    if (m_nScreenMode == kScreenFull) return;
    const int unit = m_nSpeedUnit;
    GpsFix fix;
    if (GetSampleAt(m_nPlayPos, fix) && HasPosition(fix)) m_gauge.ShowState(CSpeedGaugeWnd::GetSpeedState(fix.speedKmh, unit, true));
    else m_gauge.ShowState(CSpeedGaugeWnd::GetSpeedState(0.0, unit, false));

    m_graph.SetPosition(m_nPlayPos);
    ShowReadOut();
}

void CTorvixPlayerMainDlg::ShowReadOut()
{
    if (m_nGraphMode != 0) {
        m_txtGx.SetText(L"", 1);
        m_txtGy.SetText(L"", 1);
        m_txtGz.SetText(L"", 1);
        return;
    }
    float x = 0.0f, y = 0.0f, z = 0.0f;
    const CTorvixGpsData* track = m_graph.GetGpsData();
    if (track && m_graph.GetDuration() >= 1)
        m_graph.GetSensorValues(m_nPlayPos, track->GetSensorCount(), m_graph.GetDuration(), x, y, z);
    m_txtGx.SetText(FormatSensorValue(L'X', x), 1);
    m_txtGy.SetText(FormatSensorValue(L'Y', y), 1);
    m_txtGz.SetText(FormatSensorValue(L'Z', z), 1);
}

// --- opening and closing ---------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OpenDashboard()
{
    // The unit is read once per recording, not every second of play.
    m_nSpeedUnit = GetSpeedUnit();
    m_graph.SetSpeedUnit(m_nSpeedUnit);
    m_graph.OpenRecording(m_strPlayFile, m_nDuration);
    m_graph.SetGraphMode(m_nGraphMode);
    m_graph.SetPosition(0);
    const CTorvixGpsData* track = m_graph.GetGpsData();
    m_gauge.ShowState(CSpeedGaugeWnd::GetIdleState(track && track->IsValidGps(), m_nSpeedUnit));
    UpdateGraphScale();
    m_nPlayPos = 0;
    ShowReadOut();
    // Marks on the position bar where the G-sensor says something happened, and at the start of
    // an event recording.
    const bool bEventClass = CRecordingCatalog::GetCategoryIndex(BareFileName(m_strPlayFile)) == kClassEvent;
    m_sliderVideo.SetMarks(track ? FindEventSeconds(m_graph.GetX(), m_graph.GetY(), m_graph.GetZ(), m_nDuration, bEventClass)
                                 : FindEventSeconds({}, {}, {}, m_nDuration, bEventClass),
                           kEventMarkColour);
    OnOpenRoute();
}

void CTorvixPlayerMainDlg::CloseDashboard()
{
    m_sliderVideo.SetMarks({}, kEventMarkColour);
    m_graph.Reset();
    m_graph.SetSuppressed(1);
    m_graph.Draw();
    m_gauge.ShowState(CSpeedGaugeWnd::GetIdleState(false, m_nSpeedUnit));
    m_strPlaceText.clear();
    OnCloseRoute();
}

void CTorvixPlayerMainDlg::ResetDashboard()
{
    m_nPlayPos = 0;
    m_sliderVideo.SetPos(0, 1);
    m_txtPlayTime.SetText(FormatPlayTime(0), 1);
    m_gauge.ShowState(CSpeedGaugeWnd::GetIdleState(false, m_nSpeedUnit));
    m_graph.SetPosition(0);
}

// --- the graph's two views ------------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnGraphModeButton(int nMode)
{
    m_nGraphMode = nMode;
    SetGraphMode(nMode);
    m_graph.SetGraphMode(nMode);
    m_graph.Draw();
    UpdateGraphButtons();
    UpdateGraphScale();
    ShowReadOut();
}

void CTorvixPlayerMainDlg::UpdateGraphButtons()
{
    const bool bSpeed = m_nGraphMode != 0;
    m_btnSensor.SetBitmap(0, GetSkinLoader(), bSpeed ? skin::kGraphSensorOff : skin::kGraphSensorOn);
    m_btnSensor.SetBitmap(1, GetSkinLoader(), bSpeed ? skin::kGraphSensorOff : skin::kGraphSensorOn);
    m_btnSpeed.SetBitmap(0, GetSkinLoader(), bSpeed ? skin::kGraphSpeedOn : skin::kGraphSpeedOff);
    m_btnSpeed.SetBitmap(1, GetSkinLoader(), bSpeed ? skin::kGraphSpeedOn : skin::kGraphSpeedOff);
    m_btnSensor.Draw();
    m_btnSpeed.Draw();
}

void CTorvixPlayerMainDlg::UpdateGraphScale()
{
    UINT id = skin::kGraphScaleG;
    if (m_nGraphMode != 0) id = m_nSpeedUnit != 0 ? skin::kGraphScaleMph : skin::kGraphScaleKmh;
    m_imgGraphScale.SetBitmap(0, GetSkinLoader(), id);
    m_imgGraphScale.Draw();
}
