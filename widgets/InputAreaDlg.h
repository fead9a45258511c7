#pragma once

// The input window of the search box: a borderless child window of the box's dialog, placed
// exactly over the box while the user types, holding the text field. It hands the field's key
// notices on to the box (its owner) and tells it when the field is left.
//
// The platform has no window activation, so "leaving" is the field losing the keyboard focus or
// a press anywhere outside the window: while open the window holds the mouse capture, closes on
// an outside press and passes that press on to the window under it, so the click still acts.
// GUI thread only.

#include "widgets/MyEdit.h"

#include <zent/platform/Dialog.h>

#include <string>

class CInputAreaDlg : public zent::CDialog {
public:
    static constexpr zent::UINT kDialogId = 139;
    static constexpr zent::UINT kEditId = 1134;
    // Key notices are handed on after this pause, when the field has taken the key's character.
    static constexpr zent::UINT kKeyTimer = 1000;
    static constexpr zent::UINT kBackspaceTimer = 1001;
    static constexpr zent::UINT kNoticeDelay = 10;

    CInputAreaDlg() = default;
    ~CInputAreaDlg() override;

    // A child of hwndParent at rc (its client coordinates) reporting to hwndOwner, with text in
    // the field, the caret at its end and the keyboard focus in it.
    zent::BOOL Create(zent::HWND hwndParent, const zent::RECT& rc, zent::HWND hwndOwner, const std::wstring& text,
                zent::HFONT font);

    // The text as last handed on to the owner.
    const std::wstring& GetText() const { return m_strText; }
    // What the field holds now.
    const std::wstring& GetEditText() const { return m_kEdit.GetText(); }
    CMyEdit& GetEdit() { return m_kEdit; }

protected:
    zent::BOOL OnInitDialog() override;
    zent::LRESULT OnMessage(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam) override;

private:
    void FitEdit();
    void OnMouse(zent::UINT message, zent::WPARAM wParam, zent::LPARAM lParam);
    void NotifyOwner(zent::UINT message);

    zent::HWND m_hwndOwner = nullptr;
    CMyEdit m_kEdit;
    std::wstring m_strText;
    std::wstring m_strInitial; // for OnInitDialog
    zent::HFONT m_hFont = nullptr;
    bool m_bClosing = false;
};
