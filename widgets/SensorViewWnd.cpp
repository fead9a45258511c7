#include "widgets/SensorViewWnd.h"

#include "locale/Settings.h"
#include "widgets/SkinLoader.h"

#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

using namespace zent;

namespace {

// A G-sensor value this large marks a step without a sample.
constexpr float kNoValueMagnitude = 99.0f;

// The pen selected on entry comes back when the plot is done, and the mapping goes back to plain
// pixels, so the plot picture is always left as a plain picture.
class CPlotMapping {
public:
    CPlotMapping(HDC dc, int w, int h, POINT origin) : m_hDC(dc), m_hOldPen(SelectObject(dc, GetStockPen(BLACK_PEN)))
    {
        SetMapMode(dc, MM_ISOTROPIC);
        SetWindowExtEx(dc, w, h, nullptr);
        SetViewportExtEx(dc, w, -h, nullptr);
        SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
    }
    ~CPlotMapping()
    {
        SetMapMode(m_hDC, MM_TEXT);
        SetViewportOrgEx(m_hDC, 0, 0, nullptr);
        if (m_hOldPen) SelectObject(m_hDC, m_hOldPen);
    }
    CPlotMapping(const CPlotMapping&) = delete;
    CPlotMapping& operator=(const CPlotMapping&) = delete;

private:
    HDC m_hDC;
    HPEN m_hOldPen;
};

// Track record of plot column i of w for count records, in single precision.
std::size_t RecordOfColumn(int i, int count, int w)
{
    const float k = static_cast<float>(i) * (static_cast<float>(count) / static_cast<float>(w));
    return k > 0.0f ? static_cast<std::size_t>(k) : 0;
}

} // namespace

CSensorViewWnd::CSensorViewWnd()
    : m_penX(CreatePen(PS_SOLID, 2, kColourX)),
      m_penY(CreatePen(PS_SOLID, 2, kColourY)),
      m_penZ(CreatePen(PS_SOLID, 2, kColourZ)),
      m_penCursor(CreatePen(PS_SOLID, 1, kColourCursor)),
      m_penSpare(CreatePen(PS_SOLID, 2, kColourSpare))
{
}

CSensorViewWnd::~CSensorViewWnd()
{
    FreeArrays();
    m_pGpsData.reset();
    m_imgBackground.Unload();
}

int CSensorViewWnd::InitControl()
{
    QLBMLoader* loader = GetSkinLoader();
    if (!loader) return 0;
    const int result = CBmpCtrl::InitControl(1);
    if (result == 0) return result;
    m_imgBackground.Load(loader, kBackgroundId);
    RECT rc{};
    loader->GetRect(static_cast<int>(kBackgroundId), &rc);
    SetControlPos(rc);
    m_nSpeedUnit = ::GetSpeedUnit();
    if (GetSafeHwnd()) {
        // The dialog paints the control from now on; its own window only stays out of the way.
        MoveWindow(GetSafeHwnd(), rc.left, rc.top, rc.Width(), rc.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    return 1;
}

// --- the open recording --------------------------------------------------------------------------

int CSensorViewWnd::OpenRecording(const std::wstring& path, int nDuration)
{
    Reset();
    m_strFilePath = path;
    const int parser = m_pGpsData->Load(path);
    if (parser >= 0) m_nDuration = std::max(nDuration, 0);
    SetMode(parser, nDuration);
    MakeSpeedArray();
    m_bSuppressed = 0;
    return parser;
}

void CSensorViewWnd::Reset()
{
    // The old track goes before the new holder is made, so two tracks never live at once.
    m_pGpsData.reset();
    m_pGpsData = std::make_unique<CTorvixGpsData>();
    m_strFilePath.clear();
    m_nRecordCount = 0;
    m_nCurrentSecond = 0;
    FreeArrays();
    m_nMode = kModeNone;
    m_bSuppressed = 0;
    // Read again rather than cleared: the unit may have changed in the settings since the last
    // recording, and a cleared unit would draw every later recording in km/h.
    m_nSpeedUnit = ::GetSpeedUnit();
    m_nDuration = 0;
}

void CSensorViewWnd::FreeArrays()
{
    for (std::vector<float>* v : {&m_vecLiveX, &m_vecLiveY, &m_vecLiveZ, &m_vecX, &m_vecY, &m_vecZ, &m_vecSpeed}) {
        v->clear();
        v->shrink_to_fit();
    }
}

int CSensorViewWnd::SetMode(int parserIndex, int nDuration)
{
    if (parserIndex >= kParserKindCount) {
        m_nMode = kModeNone;
        return -1;
    }
    if (parserIndex < 0) {
        m_nMode = kModeNoTrack;
        const std::size_t n = static_cast<std::size_t>(std::clamp(nDuration, 0, kMaxEntries));
        m_vecLiveX.assign(n, kNoSensorValue);
        m_vecLiveY.assign(n, kNoSensorValue);
        m_vecLiveZ.assign(n, kNoSensorValue);
        return 0;
    }
    m_nMode = kModeTrack;
    const int count = m_pGpsData && m_pGpsData->GetSelectedParser() ? m_pGpsData->GetSensorCount() : 0;
    if (count >= 1) {
        const std::size_t n = static_cast<std::size_t>(std::min(count, kMaxEntries));
        m_vecX.assign(n, 0.0f);
        m_vecY.assign(n, 0.0f);
        m_vecZ.assign(n, 0.0f);
        for (std::size_t i = 0; i < n; ++i) {
            float x = 0.0f, y = 0.0f, z = 0.0f;
            if (!m_pGpsData->GetSensorData(static_cast<int>(i), x, y, z)) continue;
            m_vecX[i] = x;
            m_vecY[i] = y;
            m_vecZ[i] = z;
        }
    }
    return 0;
}

int CSensorViewWnd::MakeSpeedArray()
{
    int count = 0;
    const GpsFix* fixes = m_pGpsData ? m_pGpsData->GetGpsArray(count) : nullptr;
    if (!fixes) count = 0;
    m_nRecordCount = std::min(count, kMaxEntries);
    m_vecSpeed.assign(static_cast<std::size_t>(m_nRecordCount), 0.0f);
    float previous = 0.0f;
    for (int i = 0; i < m_nRecordCount; ++i) {
        const double speed = fixes[i].speedKmh;
        if (!std::isnan(speed)) previous = static_cast<float>(speed);
        m_vecSpeed[static_cast<std::size_t>(i)] = previous;
    }
    return m_nRecordCount;
}

CTorvixGpsData* CSensorViewWnd::GetGpsData()
{
    return m_pGpsData && m_pGpsData->GetSelected() >= 0 ? m_pGpsData.get() : nullptr;
}

const CTorvixGpsData* CSensorViewWnd::GetGpsData() const
{
    return m_pGpsData && m_pGpsData->GetSelected() >= 0 ? m_pGpsData.get() : nullptr;
}

void CSensorViewWnd::SetPosition(int nSecond, int redraw)
{
    m_nCurrentSecond = nSecond;
    if (redraw) Draw();
}

void CSensorViewWnd::SetGraphMode(int mode)
{
    m_bSpeedView = mode != 0 ? 1 : 0;
}

void CSensorViewWnd::GetSensorValues(int nSecond, int nSampleCount, int nGraphDuration, float& x, float& y,
                                     float& z) const
{
    x = y = z = 0.0f;
    if (nGraphDuration < 1) return;
    const long long index = static_cast<long long>(nSecond) * nSampleCount / nGraphDuration;
    const auto at = [index](const std::vector<float>& v) {
        if (v.empty()) return 0.0f;
        return v[static_cast<std::size_t>(std::clamp<long long>(index, 0, static_cast<long long>(v.size()) - 1))];
    };
    x = at(m_vecX);
    y = at(m_vecY);
    z = at(m_vecZ);
}

// --- painting ----------------------------------------------------------------------------------

bool CSensorViewWnd::PreparePicture(int w, int h)
{
    if (m_dcPlot && m_nPlotWidth == w && m_nPlotHeight == h) return true;
    m_dcPlot.reset();
    m_bmpPlot.reset(CreateCompatibleBitmap(nullptr, w, h));
    if (!m_bmpPlot) return false;
    m_dcPlot.reset(CreateCompatibleDC(nullptr));
    if (m_dcPlot) SelectObject(m_dcPlot.get(), m_bmpPlot.get());
    if (!m_dcPlot || GetCurrentBitmap(m_dcPlot.get()) != m_bmpPlot.get()) {
        m_dcPlot.reset();
        return false;
    }
    m_nPlotWidth = w;
    m_nPlotHeight = h;
    return true;
}

bool CSensorViewWnd::CursorX(int w, int left, int& x) const
{
    // Without a time axis there is nothing to point at.
    if (m_nDuration <= 0) return false;
    // Single precision over the width: a recording longer than the plot is wide still moves the
    // cursor (whole-number w / N would be 0 and pin it to the left edge).
    const float column = static_cast<float>(m_nCurrentSecond) * (static_cast<float>(w) / static_cast<float>(m_nDuration));
    x = static_cast<int>(std::clamp(column, -1.0e6f, 1.0e6f)) + left;
    if (m_nCurrentSecond != 0) --x;
    return true;
}

int CSensorViewWnd::DrawCtrl(HDC dc, POINT origin)
{
    if (!GetVisibleCtrl()) return 1;
    const int w = m_rcCtrl.Width();
    const int h = m_rcCtrl.Height();
    if (w <= 0 || h <= 0 || !PreparePicture(w, h)) return 1;
    const HDC plot = m_dcPlot.get();
    FillSolidRect(plot, 0, 0, w, h, kTransparentKey);
    if (!m_bSuppressed) {
        if (m_bSpeedView) DrawSpeedPlot(plot, w, h);
        else if (m_nMode == kModeTrack) DrawSensorPlot(plot, w, h);
        // Without a track every entry is "no value" and there is no time axis: nothing to plot,
        // not even the cursor.
    }
    if (m_imgBackground.IsLoaded()) m_imgBackground.DrawAlphablend(dc, origin.x, origin.y, w, h);
    TransparentBlt(dc, origin.x, origin.y, w, h, plot, 0, 0, w, h, kTransparentKey);
    return 1;
}

void CSensorViewWnd::DrawSensorPlot(HDC dc, int w, int h)
{
    CPlotMapping mapping(dc, w, h, POINT{w / 2, h / 2});
    const float scale = (static_cast<float>(h) / 2.0f) / kSensorRange;

    int cursor = 0;
    if (CursorX(w, -(w / 2), cursor)) {
        SelectObject(dc, m_penCursor.get());
        MoveToEx(dc, cursor, h / 2, nullptr);
        LineTo(dc, cursor, -(h / 2));
    }

    const std::vector<float>* axes[3] = {&m_vecX, &m_vecY, &m_vecZ};
    const HPEN pens[3] = {m_penX.get(), m_penY.get(), m_penZ.get()};
    float lastX[3], lastY[3];
    bool bLastPlotted[3];
    for (int a = 0; a < 3; ++a) {
        lastX[a] = static_cast<float>(-(w / 2));
        lastY[a] = 0.0f;
        bLastPlotted[a] = true;
    }
    // The fixes give the time axis; a track of samples alone runs over its samples.
    const int count = m_nRecordCount > 0 ? m_nRecordCount : static_cast<int>(m_vecX.size());
    for (int i = 0; i < w; ++i) {
        const std::size_t k = RecordOfColumn(i, count, w);
        for (int a = 0; a < 3; ++a) {
            const std::vector<float>& values = *axes[a];
            if (values.empty()) break;
            SelectObject(dc, pens[a]);
            const int x = static_cast<int>(lastX[a]);
            lastX[a] += 1.0f;
            // Steps without a sample leave a gap instead of a stroke off the plot.
            if (k >= values.size() || std::fabs(values[k]) >= kNoValueMagnitude) {
                bLastPlotted[a] = false;
                continue;
            }
            const float y = scale * values[k];
            MoveToEx(dc, x, static_cast<int>(bLastPlotted[a] ? lastY[a] : y), nullptr);
            if (i > 0) LineTo(dc, x, static_cast<int>(y));
            lastY[a] = y;
            bLastPlotted[a] = true;
        }
    }
}

void CSensorViewWnd::DrawSpeedPlot(HDC dc, int w, int h)
{
    if (m_nRecordCount <= 0 || m_vecSpeed.empty()) return;
    CPlotMapping mapping(dc, w, h, POINT{w, h});
    const double plotHeight = static_cast<double>(h - kSpeedHeadroom);
    const bool bMph = m_nSpeedUnit != 0;
    const double limit = bMph ? kSpeedLimitMph : kSpeedLimitKmh;

    float lastX = static_cast<float>(-w);
    float lastY = 0.0f;
    for (int i = 0; i < w; ++i) {
        const std::size_t k = std::min(RecordOfColumn(i, m_nRecordCount, w), m_vecSpeed.size() - 1);
        double v = m_vecSpeed[k];
        if (std::isnan(v)) continue;
        SelectObject(dc, m_penZ.get());
        MoveToEx(dc, static_cast<int>(lastX), static_cast<int>(lastY + kSpeedBaseline), nullptr);
        if (bMph) v *= kMphPerKmh;
        if (v > limit) {
            // Over the scale: drawn at its top, in the warning colour.
            SelectObject(dc, m_penX.get());
            v = limit;
        }
        const float y = static_cast<float>(v / limit * plotHeight);
        lastY = y;
        if (i > 0) LineTo(dc, static_cast<int>(lastX), static_cast<int>(y + kSpeedBaseline));
        lastX += 1.0f;
    }

    int cursor = 0;
    if (CursorX(w, -w, cursor)) {
        SelectObject(dc, m_penCursor.get());
        MoveToEx(dc, cursor, h, nullptr);
        LineTo(dc, cursor, 0);
    }
}
