#pragma once

// A flat two-colour percentage bar (the card usage of the settings dialog): the whole bar in the
// background colour, then the part from the left edge that the percentage covers in the fill
// colour. Its rectangle comes from an image id of the skin; it draws no picture. GUI thread only.

#include <zent/bctrl/BmpCtrl.h>

class CBmpProgress : public zent::CBmpCtrl {
public:
    // Colours until SetColors: the drop-down list's grey under the accent of the skin.
    static constexpr zent::COLORREF kDefaultBackground = 0x4B4B4B;
    static constexpr zent::COLORREF kDefaultFill = 0x006EED;

    CBmpProgress();
    ~CBmpProgress() override;

    // Position 0; the control is moved to the skin rectangle of imageId, which becomes the bar.
    // 0 without a loader or when the control cannot register with its dialog.
    using zent::CBmpCtrl::InitControl;
    int InitControl(zent::QLBMLoader* loader, zent::UINT imageId);
    // Held within 0..100; redraw 1 repaints through the dialog.
    void SetPos(int percent, int redraw = 1);
    int GetPos() const { return m_nPos; }
    void SetColors(zent::COLORREF background, zent::COLORREF fill);

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;

private:
    zent::RECT m_rcBar{};
    int m_nPos = 0;
    zent::COLORREF m_clrBackground = kDefaultBackground;
    zent::COLORREF m_clrFill = kDefaultFill;
};
