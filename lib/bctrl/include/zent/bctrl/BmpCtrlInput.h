#pragma once

// Arrow-key focus navigation between the controls of one bitmap dialog: the next control is the
// nearest eligible one in the pressed direction, wrapping around the dialog's edges when nothing
// lies straight ahead. A control is eligible when it is enabled, visible and takes part in the
// navigation (GetRemocon). GUI thread only.

#include <zent/bctrl/Export.h>
#include <zent/platform/Types.h>

#include <vector>

namespace zent {

class CBmpCtrl;

class ZENT_BCTRL_API CBmpCtrlInput {
public:
    CBmpCtrlInput() = default;
    virtual ~CBmpCtrlInput() = default;
    CBmpCtrlInput(const CBmpCtrlInput&) = delete;
    CBmpCtrlInput& operator=(const CBmpCtrlInput&) = delete;

    // The dialog's own array; it must outlive the navigator's use of it.
    int SetControlArray(const std::vector<CBmpCtrl*>* pArray);
    int SetWindowRect(const RECT& rc);
    // The focused control after the key, or null without controls.
    CBmpCtrl* InputKey(int key);
    int FocusChange(CBmpCtrl* ctrl);
    int FocusKill(CBmpCtrl* ctrl);
    void CleanInput() { m_pFocused = nullptr; }
    CBmpCtrl* GetFocused() const { return m_pFocused; }

    static int BothIncludeZone(int a1, int a2, int b1, int b2);
    static int BothOverlapZone(int a1, int a2, int b1, int b2);

private:
    CBmpCtrl* CalcFocusMove(int key) const;
    bool IsEligible(const CBmpCtrl* ctrl) const;
    bool Contains(const CBmpCtrl* ctrl) const;
    // Moves the focus from the focused control to next and clears every other stale focus.
    void MoveFocus(CBmpCtrl* next, UINT key);

    const std::vector<CBmpCtrl*>* m_pArray = nullptr;
    CBmpCtrl* m_pFocused = nullptr;
    RECT m_rcWindow{};
};

} // namespace zent
