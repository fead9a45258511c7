#pragma once

// The round speedometer beside the video: a needle picture chosen from the skin's pre-drawn set,
// the speed in figures, the unit and a small position-fix lamp. It has no timer and no smoothing:
// the player window sets needle, lamp and text for each play position and redraws it once.
//
// Every picture the gauge ever shows is kept in its own cache, so a position change costs one
// look-up and one repaint. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/util/ZuImage.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace zent {
class QLBMLoader;
}

// What the gauge shows for one track sample (or for none).
struct CSpeedGaugeState {
    zent::UINT nIndicatorId = 0;
    zent::UINT nNeedleId = 0;
    std::wstring strSpeed; // empty: no figures
    int nUnit = 0;         // 0 km/h, 1 mph

    friend bool operator==(const CSpeedGaugeState&, const CSpeedGaugeState&) = default;
};

class CSpeedGaugeWnd : public zent::CBmpCtrl {
public:
    // Skin ids of the gauge.
    static constexpr zent::UINT kFaceId = 42;
    static constexpr zent::UINT kIdleNeedleId = 43;
    static constexpr zent::UINT kNoFixId = 44;
    static constexpr zent::UINT kFixId = 45;
    static constexpr zent::UINT kDigitsId = 46;
    static constexpr zent::UINT kUnitId = 47;
    static constexpr zent::UINT kHubId = 48;
    static constexpr zent::UINT kFirstNeedleId = 49; // speeds 0-4 in the shown unit
    static constexpr zent::UINT kLastDialNeedleId = 92; // speeds 215-219
    // The skin draws speeds of 220 and more (in steps of five up to 249) with the needle resting
    // at the dial's end; the ids after these belong to other pictures, so higher speeds stay here.
    static constexpr zent::UINT kLastNeedleId = 98;
    static constexpr double kMphPerKmh = 0.6213712;

    CSpeedGaugeWnd();
    ~CSpeedGaugeWnd() override;
    CSpeedGaugeWnd(const CSpeedGaugeWnd&) = delete;
    CSpeedGaugeWnd& operator=(const CSpeedGaugeWnd&) = delete;

    // Registers with the dialog, loads face and hub, preloads the needles 43 to 92 and places the
    // control at the face's skin rectangle; pictures come from GetSkinLoader(). 1, or 0 when the
    // control cannot register or there is no skin loader.
    using zent::CBmpCtrl::InitControl;
    int InitControl();

    // Makes the cached picture of id the needle; an id not cached yet is loaded from loader and
    // kept (even when the load fails: nothing is drawn then). Without loader and cache entry
    // nothing changes.
    void SetNeedleImage(zent::UINT id, zent::QLBMLoader* loader);
    // The same for the lamp, always from GetSkinLoader(). The lamp's place is taken from the
    // skin rectangle of the first lamp ever set and kept.
    void SetIndicatorImage(zent::UINT id);

    // Lamp, needle, figures and unit of a state, then one repaint.
    void ShowState(const CSpeedGaugeState& state);

    // The state for a track sample: speed in km/h, the "SpeedUnit" setting (non-zero: mph), and
    // whether the sample has a position. A sample without a position, or with a fix but no
    // speed (NaN), shows the idle needle and no figures.
    static CSpeedGaugeState GetSpeedState(double speedKmh, int nSpeedUnit, bool bHasFix);
    // The resting state: idle needle, no figures, the lamp of bValidFix.
    static CSpeedGaugeState GetIdleState(bool bValidFix, int nSpeedUnit);

    zent::UINT GetNeedleId() const { return m_nNeedleId; }
    zent::UINT GetIndicatorId() const { return m_nIndicatorId; }
    // Pictures held (tests and diagnostics).
    std::size_t GetCachedImageCount() const { return m_mapImages.size(); }

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;

    // Written by the player window before it asks for a repaint.
    std::wstring m_strSpeed; // empty: no speed to show
    int m_nUnit = 0;         // 0 km/h, 1 mph
    zent::COLORREF m_clrText = 0xFFFFFF;
    zent::COLORREF m_clrEffect = 0;
    zent::COLORREF m_clrThird = 0;

private:
    // The cached picture of id, loaded from loader when missing (null without either).
    zent::CZuImage* FindOrLoad(zent::UINT id, zent::QLBMLoader* loader);
    zent::RECT RelativeSkinRect(zent::QLBMLoader* loader, zent::UINT id) const;

    zent::CZuImage m_imgFace;
    zent::CZuImage m_imgHub;
    zent::CZuImage* m_pNeedle = nullptr;    // points into m_mapImages
    zent::CZuImage* m_pIndicator = nullptr; // points into m_mapImages
    zent::UINT m_nNeedleId = 0;
    zent::UINT m_nIndicatorId = 0;
    std::unordered_map<zent::UINT, std::unique_ptr<zent::CZuImage>> m_mapImages;
    // Relative to the control's top-left corner.
    zent::RECT m_rcNeedle{};
    zent::RECT m_rcHub{};
    zent::RECT m_rcIndicator{};
    zent::RECT m_rcDigits{};
    zent::RECT m_rcUnit{};
};
