#pragma once

// An image button with up to three state images (normal, pressed, disabled), an optional check
// mark, a text line and an optional icon. Images load at the first paint and go again when the
// dialog cleans its controls. Clicks reach the parent as WM_COMMAND (item id, window handle),
// posted on press (BCS_COMMAND_ON_PRESS) or sent on release (BCS_COMMAND_ON_RELEASE). The
// caller binds the control's window (SubclassDlgItem or CreateEx) before InitControl.

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/Export.h>
#include <zent/util/ZuImage.h>

#include <string>

namespace zent {

constexpr UINT kBlinkTimerId = 1377;
constexpr UINT kBlinkIntervalMs = 500;
constexpr UINT kPressTimerId = 0xF002;
constexpr UINT kPressLookMs = 150;

class ZENT_BCTRL_API CBmpButton : public CBmpCtrl {
public:
    CBmpButton();
    ~CBmpButton() override;

    using CBmpCtrl::InitControl;
    int InitControl(int style, QLBMLoader* loader, UINT normalId, UINT pressedId, UINT disabledId, UINT rectId);
    int InitControl(int style, QLBMLoader* loader, HBITMAP normal, UINT pressedId, HBITMAP disabled, UINT rectId);
    int ReSetCtrl(int style, QLBMLoader* loader, UINT normalId, UINT pressedId, UINT disabledId, UINT rectId);

    int SetDisableCtrl(int disable, int redraw) override;
    int SetVisibleCtrl(int visible, int redraw) override;
    int DrawCtrl(HDC dc, POINT origin) override;
    int SoundPlay() override;
    int Clean() override;
    int LButtonDown(UINT flags, POINT pt) override;
    int LButtonUp(UINT flags, POINT pt) override;
    int MouseMove(UINT flags, POINT pt) override;
    int KeyInput(UINT key) override;
    int SetBitmap(int state, QLBMLoader* loader, UINT id) override;
    int FocusChange(int focus, UINT key) override;

    int SetButtonText(const std::wstring& text, int redraw);
    int SetButtonText(const std::wstring& text, int m1, int m2, int m3, int redraw);
    int SetButtonOverImageText(const std::wstring& text, int redraw);
    const std::wstring& GetButtonText() const { return m_strText; }
    const std::wstring& GetButtonOverImageText() const { return m_strOverImageText; }
    void SetButtonTextMargin(int m1, int m2, int m3);
    void GetButtonTextMargin(int* m1, int* m2, int* m3) const;
    void SetTextColor(COLORREF text, COLORREF effect);
    COLORREF GetTextColor() const { return m_clrText; }
    int SetCheck(int check, int redraw);
    int GetCheck() const { return m_nCheck; }
    int SetCheckBox(QLBMLoader* loader, UINT id);
    int SetCheckBox(QLBMLoader* loader, UINT id, const RECT& rc);
    void SetIconBitmap(HDC source) { m_hIconSource = source; }
    void SetIconBitmap(QLBMLoader*, UINT) {}
    void SetAlphaRate(int rate) { m_nAlphaRate = rate; }
    void SetAutoAlign(int align) { m_bAutoAlign = align; }
    int GetAutoAlign() const { return m_bAutoAlign; }
    void SetCaret(int show) { m_bCaret = show; }
    void SetVisibleCaret(int visible) { m_bVisibleCaret = visible; }
    void SetNCaretPos(int pos) { m_nCaretPos = pos; }
    int GetNCaretPos() const { return m_nCaretPos; }
    void SetCaretType(int type) { m_nCaretType = type; }
    void SetCaretColor(COLORREF colour) { m_clrCaret = colour; }
    int IsPressed() const { return m_bPressed; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct ImageSlot {
        QLBMLoader* pLoader = nullptr; // not owned
        UINT nId = 0;
        HBITMAP hAdopted = nullptr; // borrowed
        CZuImage image;
        void Set(QLBMLoader* loader, UINT id)
        {
            if (loader) pLoader = loader;
            nId = id;
            hAdopted = nullptr;
            image.Unload();
        }
        // The slot's picture, loaded now when it has not been; null when there is none.
        CZuImage* Ensure();
    };
    void Place(QLBMLoader* loader, UINT rectId, UINT firstId, bool bKeepCorner);
    void SendCommand(bool bPost);
    void DrawImageByStyle(CZuImage& image, HDC dc, POINT origin);
    void DrawFocusFrame(HDC dc, const RECT& rc);

    int m_bPressed = 0;
    int m_nCheck = 0;
    int m_nCaretPhase = 0;
    int m_bAutoAlign = 0;
    RECT m_rcCheck{};
    std::wstring m_strText;
    std::wstring m_strOverImageText;
    int m_nAlphaRate = 0;
    POINT m_ptPress{};
    int m_bPressValid = 0;
    int m_bCaret = 0;
    int m_bVisibleCaret = 1;
    int m_nCaretPos = 0;
    int m_nCaretType = 0;
    ImageSlot m_kNormal;
    ImageSlot m_kPressed;
    ImageSlot m_kDisabled;
    QLBMLoader* m_pCheckLoader = nullptr; // not owned
    UINT m_nCheckId = 0;
    HDC m_hIconSource = nullptr; // borrowed
    COLORREF m_clrText = 0xFFFFFF;
    COLORREF m_clrEffect = 0x646464;
    COLORREF m_clrCaret = 0xFF00FF;
    int m_nMargin[3] = {0, 0, 0};
};

} // namespace zent
