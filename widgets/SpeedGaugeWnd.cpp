#include "widgets/SpeedGaugeWnd.h"

#include "locale/AppFont.h"
#include "widgets/SkinLoader.h"

#include <zent/platform/Font.h>
#include <zent/platform/Gdi.h>
#include <zent/util/QLBMLoader.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace zent;

namespace {

// Centred both ways; single line, because vertical centring applies to single lines only.
constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr COLORREF kUnitColour = 0xFFFFFF;
constexpr int kUnitFontHeight = 18;
constexpr const wchar_t* kFigureFace = L"Roboto";

// The largest speed whose figures still fit an int.
constexpr double kMaxShownSpeed = 2147483647.0;

RECT Offset(const RECT& rc, int dx, int dy)
{
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

} // namespace

CSpeedGaugeWnd::CSpeedGaugeWnd() = default;

CSpeedGaugeWnd::~CSpeedGaugeWnd()
{
    m_pNeedle = nullptr;
    m_pIndicator = nullptr;
    for (auto& [id, image] : m_mapImages) image->Unload();
    m_mapImages.clear();
    m_imgFace.Unload();
    m_imgHub.Unload();
}

RECT CSpeedGaugeWnd::RelativeSkinRect(QLBMLoader* loader, UINT id) const
{
    RECT rc{};
    loader->GetRect(static_cast<int>(id), &rc);
    return Offset(rc, -m_rcCtrl.left, -m_rcCtrl.top);
}

int CSpeedGaugeWnd::InitControl()
{
    QLBMLoader* loader = GetSkinLoader();
    if (!loader) return 0;
    const int result = CBmpCtrl::InitControl(1);
    if (result == 0) return result;

    m_imgFace.Load(loader, kFaceId);
    m_imgHub.Load(loader, kHubId);
    RECT rcFace{};
    loader->GetRect(static_cast<int>(kFaceId), &rcFace);
    SetControlPos(rcFace);
    m_rcNeedle = RelativeSkinRect(loader, kIdleNeedleId);
    m_rcHub = RelativeSkinRect(loader, kHubId);
    m_rcDigits = RelativeSkinRect(loader, kDigitsId);
    m_rcUnit = RelativeSkinRect(loader, kUnitId);

    // The whole dial is loaded now, so that a position change never waits for a decode.
    for (UINT id = kIdleNeedleId; id <= kLastDialNeedleId; ++id) FindOrLoad(id, loader);
    SetNeedleImage(kIdleNeedleId, nullptr);
    m_imgFace.StretchMode(1, rcFace.Width(), rcFace.Height());

    if (GetSafeHwnd()) {
        // The dialog paints the control from now on; its own window only stays out of the way.
        MoveWindow(GetSafeHwnd(), rcFace.left, rcFace.top, rcFace.Width(), rcFace.Height(), FALSE);
        ShowWindow(GetSafeHwnd(), SW_HIDE);
    }
    return 1;
}

CZuImage* CSpeedGaugeWnd::FindOrLoad(UINT id, QLBMLoader* loader)
{
    if (auto it = m_mapImages.find(id); it != m_mapImages.end()) return it->second.get();
    if (!loader) return nullptr;
    auto image = std::make_unique<CZuImage>();
    // Kept even when the skin has no such picture: the id is not asked for again.
    image->Load(loader, id);
    return m_mapImages.emplace(id, std::move(image)).first->second.get();
}

void CSpeedGaugeWnd::SetNeedleImage(UINT id, QLBMLoader* loader)
{
    if (CZuImage* image = FindOrLoad(id, loader)) {
        m_pNeedle = image;
        m_nNeedleId = id;
    }
}

void CSpeedGaugeWnd::SetIndicatorImage(UINT id)
{
    QLBMLoader* loader = GetSkinLoader();
    if (CZuImage* image = FindOrLoad(id, loader)) {
        m_pIndicator = image;
        m_nIndicatorId = id;
    }
    if (m_rcIndicator.Width() + m_rcIndicator.Height() < 1 && loader) m_rcIndicator = RelativeSkinRect(loader, id);
}

void CSpeedGaugeWnd::ShowState(const CSpeedGaugeState& state)
{
    SetIndicatorImage(state.nIndicatorId);
    SetNeedleImage(state.nNeedleId, GetSkinLoader());
    m_strSpeed = state.strSpeed;
    m_nUnit = state.nUnit;
    Draw();
}

CSpeedGaugeState CSpeedGaugeWnd::GetSpeedState(double speedKmh, int nSpeedUnit, bool bHasFix)
{
    const int unit = nSpeedUnit != 0 ? 1 : 0;
    if (!bHasFix) return GetIdleState(false, nSpeedUnit);
    // A fix without a speed field has nothing to point at.
    if (std::isnan(speedKmh)) return GetIdleState(true, nSpeedUnit);
    double speed = unit ? speedKmh * kMphPerKmh : speedKmh;
    speed = std::clamp(speed, 0.0, kMaxShownSpeed);
    const double step = std::trunc(speed / 5.0);
    const double lastStep = static_cast<double>(kLastNeedleId - kFirstNeedleId);
    CSpeedGaugeState state;
    state.nIndicatorId = kFixId;
    state.nNeedleId = kFirstNeedleId + static_cast<UINT>(std::min(step, lastStep));
    state.strSpeed = std::to_wstring(static_cast<int>(speed));
    state.nUnit = unit;
    return state;
}

CSpeedGaugeState CSpeedGaugeWnd::GetIdleState(bool bValidFix, int nSpeedUnit)
{
    CSpeedGaugeState state;
    state.nIndicatorId = bValidFix ? kFixId : kNoFixId;
    state.nNeedleId = kIdleNeedleId;
    state.nUnit = nSpeedUnit != 0 ? 1 : 0;
    return state;
}

int CSpeedGaugeWnd::DrawCtrl(HDC dc, POINT origin)
{
    if (!GetVisibleCtrl()) return 1;
    const int x = origin.x;
    const int y = origin.y;
    const auto alpha = [&](CZuImage& image, const RECT& rc) {
        if (image.IsLoaded()) image.DrawAlphablend(dc, x + rc.left, y + rc.top, rc.Width(), rc.Height());
    };

    m_imgFace.Draw(dc, x, y, m_rcCtrl.Width(), m_rcCtrl.Height());
    if (m_pNeedle) alpha(*m_pNeedle, m_rcNeedle);
    alpha(m_imgHub, m_rcHub);
    if (m_pIndicator) alpha(*m_pIndicator, m_rcIndicator);

    if (!m_strSpeed.empty()) {
        RECT rc = Offset(m_rcDigits, x, y);
        DrawTextW(GetTextDrawStyle(), kTextFormat, m_strSpeed, dc, &rc, GetFont(), m_clrText, m_clrEffect);
    }
    // The unit's font lives for this one draw only; a repaint with it stays near 0.2 ms.
    UniqueFont unitFont(CreateAppFont(kUnitFontHeight, 0, FW_MEDIUM, 0, kFigureFace));
    RECT rc = Offset(m_rcUnit, x, y);
    DrawTextW(GetTextDrawStyle(), kTextFormat, m_nUnit == 1 ? L"mph" : L"km/h", dc, &rc, unitFont.get(), kUnitColour,
              m_clrEffect);
    return 1;
}
