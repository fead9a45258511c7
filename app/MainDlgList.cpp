// The player window's recording list: choosing a folder, the file-load scan, filling the list
// for a category or a search, and removing entries.

#include "app/TorvixPlayerMainDlg.h"

#include "app/FileLoadDlg.h"
#include "app/Resources.h"
#include "app/TorvixPlayerDocument.h"
#include "diag/Trace.h"
#include "locale/LangRes.h"
#include "locale/Settings.h"

#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>

#include <glib.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>

using namespace zent;

namespace {

bool IsFolder(const std::wstring& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(WideToPath(path), ec);
}

std::wstring Lower(std::wstring_view text)
{
    std::wstring out(text);
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return out;
}

std::wstring DesktopFolder()
{
    const char* desktop = g_get_user_special_dir(G_USER_DIRECTORY_DESKTOP);
    return desktop ? Utf8ToWide(desktop) : PathToWide(GetHomeDir());
}

std::wstring OrDash(const std::wstring& text)
{
    return text.empty() ? std::wstring(L"-") : text;
}

} // namespace

// --- choosing a folder -----------------------------------------------------------------------------

void CTorvixPlayerMainDlg::OnFileOpen()
{
    TraceA("### %s", "CTorvixPlayerMainDlg::OnFileOpen");
    if (m_bBrowsing) return;
    if (m_pPlayer && m_pPlayer->GetState() == ZENT_PLAYER_PLAYING) {
        if (m_listVideo.GetItemCount() > 0) {
            m_btnPlay.SetCheck(m_btnPlay.GetCheck() ? 0 : 1, 0);
            FilePlay();
        }
        m_bPausedForBrowse = true;
    }
    m_bBrowsing = true;
    // The chooser runs once the press that asked for it has been handled.
    PostMessage(GetSafeHwnd(), WM_APP_BROWSE_FOLDER, 0, 0);
}

void CTorvixPlayerMainDlg::BrowsePlayFolder()
{
    TraceA("BrowsePlayFolderThread BEGIN");
    std::wstring initial = GetLastAccessFolder();
    if (!IsFolder(initial)) initial = DesktopFolder();
    const std::optional<std::wstring> chosen =
        BrowseForFolder(GetSafeHwnd(), GetLangString(lang::kBrowseFolderTitle), initial);
    m_strSelFolder = chosen ? *chosen : std::wstring();
    PostMessage(GetSafeHwnd(), WM_BROWSE_DONE, 0, 0);
    TraceA("BrowsePlayFolderThread END");
}

void CTorvixPlayerMainDlg::OnReqestedRefreshFileFolder()
{
    if (m_strSelFolder.empty()) {
        if (m_pPlayer && m_pPlayer->GetState() == ZENT_PLAYER_PAUSED && m_bPausedForBrowse) {
            m_pPlayer->Play(1.0f);
            SetPlayButtonImages(true);
            m_bPausedForBrowse = false;
        }
        return;
    }
    m_bPausedForBrowse = false;
    RefreshFilesInFolder(m_strSelFolder);
}

void CTorvixPlayerMainDlg::RefreshFilesInFolder(const std::wstring& folder)
{
    // The file-load dialog's loop keeps timers running; a second scan must not start while the
    // worker of the first one fills the lists.
    if (m_bScanning) {
        TraceA("### %s - a scan is running", "CTorvixPlayerMainDlg::RefreshFilesInFolder");
        return;
    }
    m_bScanning = true;
    TraceA("### %s - OnBtnStop", "CTorvixPlayerMainDlg::OnReqestedRefreshFileFolder");
    OnBtnStop();
    TraceA("### %s #1 - SetBbxInfo", "CTorvixPlayerMainDlg::OnReqestedRefreshFileFolder");
    SetBbxInfo(folder);
    TraceA("### %s #2 - SetBbxInfo", "CTorvixPlayerMainDlg::OnReqestedRefreshFileFolder");

    m_catalog.ClearCategoryLists();
    m_listVideo.DeleteAllItems();
    m_vecShown.clear();
    m_nItemCount = 0;
    m_nCurrentItemNo = 0;
    m_nSelIndex = 0;
    m_cbCategory.SetCurSel(0, 1);
    m_nCategory = 0;
    m_strLastSearch.clear();
    m_editSearch.SetText(L"", 1);

    TraceA("### %s - RefreshFilesInFolder", "CTorvixPlayerMainDlg::OnReqestedRefreshFileFolder");
    m_strScanFolder = folder;
    if (!m_strScanFolder.empty()) {
        CFileLoadDlg dlg(player::IDD_FILE_LOAD, this);
        dlg.SetDocument(GetDocument());
        dlg.SetResourceHandle(&player::PlayerResources());
        dlg.SetPlayerWindow(this);
        dlg.DoModal();
    }
    m_bScanning = false;
    TraceA("### %s - SetLastAccessFolder", "CTorvixPlayerMainDlg::OnReqestedRefreshFileFolder");
    SetLastAccessFolder(folder);
}

void CTorvixPlayerMainDlg::SetBbxInfo(const std::wstring&)
{
    // The card's model and firmware labels come from its version file (card tools).
}

// --- the scan and the fills -------------------------------------------------------------------------

void CTorvixPlayerMainDlg::ScanForFileLoad()
{
    // Worker thread: the lists and entries only, never a window. The GUI thread sits in the
    // file-load dialog meanwhile and does not touch them.
    m_catalog.ClearCategoryLists();
    m_catalog.SearchVideoFiles(m_strScanFolder);
    m_nItemCount = m_catalog.BuildSelectionList(m_nCategory);
    m_vecShown = m_catalog.GetSelectionList();
}

void CTorvixPlayerMainDlg::OnFileLoadDone()
{
    m_listVideo.DeleteAllItems();
    AddListRows(m_vecShown);
    CreatePlayer(true);
    SendMessage(GetSafeHwnd(), WM_FILELOAD_DONE, 0, 0);
}

void CTorvixPlayerMainDlg::AddListRows(const std::vector<std::wstring>& paths)
{
    m_listVideo.SetRedraw(false);
    const std::wstring search = Lower(m_strLastSearch);
    for (const std::wstring& path : paths) {
        const RecordingEntry* entry = m_catalog.FindEntry(path);
        if (!entry) continue; // a rear file shown through its front file
        const std::wstring_view name = BareFileName(path);
        if (!search.empty() && Lower(name).find(search) == std::wstring::npos) continue;
        std::wstring date, time;
        GetRowDateTimeTexts(name, date, time);
        const int row = m_listVideo.InsertItem(m_listVideo.GetItemCount(), path + L"*" + entry->channelText);
        m_listVideo.SetItemText(row, 0, OrDash(date));
        m_listVideo.SetItemText(row, 1, OrDash(time));
        m_listVideo.SetItemText(row, 2, OrDash(entry->classLabel));
        m_listVideo.SetItemText(row, 3, OrDash(entry->channelText));
        m_listVideo.SetItemText(row, 4, OrDash(entry->districtText));
    }
    m_listVideo.SetRedraw(true);
    const int rows = m_listVideo.GetItemCount();
    const std::wstring* first = rows > 0 ? m_listVideo.GetItemData(0) : nullptr;
    TraceA("### %s - rows=%d first=%s", "CTorvixPlayerMainDlg::FillList", rows,
           first ? WideToUtf8(BareFileName(first->substr(0, first->find(L'*')))).c_str() : "-");
}

void CTorvixPlayerMainDlg::BuildRows(int nCategory, const std::wstring& search)
{
    if (nCategory != m_nCategory) m_nCurrentItemNo = 0;
    m_listVideo.DeleteAllItems();
    m_strLastSearch = search;
    m_nItemCount = m_catalog.BuildSelectionList(nCategory);
    m_vecShown = m_catalog.GetSelectionList();
    m_nCategory = nCategory;
    AddListRows(m_vecShown);
    RedrawList();
}

void CTorvixPlayerMainDlg::FillList(int nCategory)
{
    BuildRows(nCategory, L"");
}

void CTorvixPlayerMainDlg::FillSearchList(int nCategory)
{
    BuildRows(nCategory, m_strLastSearch);
}

void CTorvixPlayerMainDlg::OnSearchRequest(const std::wstring& text)
{
    if (text == m_strLastSearch) return;
    OnBtnStop();
    m_strLastSearch = text;
    FillSearchList(m_cbCategory.GetCurSel() < 0 ? 0 : m_cbCategory.GetCurSel());
}

void CTorvixPlayerMainDlg::OnCategoryChanged(int nCategory)
{
    OnBtnStop();
    if (nCategory < 0 || nCategory >= kClassCount) nCategory = 0;
    // A search that is in force keeps filtering the new category.
    BuildRows(nCategory, m_strLastSearch);
}

// --- selection and removal ----------------------------------------------------------------------------

void CTorvixPlayerMainDlg::SelectListItem(int index)
{
    m_listVideo.ClearSelection();
    m_listVideo.SetItemSelected(index, true);
    m_listVideo.SetFocusItem(index);
    m_listVideo.SetSelectionMark(index);
    m_listVideo.EnsureVisible(index);
}

void CTorvixPlayerMainDlg::RedrawList()
{
    if (m_listVideo.GetSafeHwnd()) InvalidateRect(m_listVideo.GetSafeHwnd(), nullptr, FALSE);
}

void CTorvixPlayerMainDlg::OnDeleteKey()
{
    const int mark = m_listVideo.GetSelectionMark();
    TraceA("DELETE: nSelectionMark:%d", mark);
    if (mark < 0 || mark >= m_listVideo.GetItemCount()) return;
    const std::wstring* record = m_listVideo.GetItemData(mark);
    const std::wstring path = record ? record->substr(0, record->find(L'*')) : std::wstring();
    const int c = std::max(m_cbCategory.GetCurSel(), 0);
    if (m_catalog.RemoveFromCategoryList(c, path) < 0) return;
    // A pair is one entry: its rear file goes with it, or it would come back alone at the next fill.
    const std::wstring partner = CRecordingCatalog::FindPairFile(path, m_vecShown);
    if (!partner.empty() && !m_catalog.FindEntry(partner)) m_catalog.RemoveFromCategoryList(c, partner);

    TraceA("####################### DeleteItemText(%d) #######################", mark);
    const bool bWasPlaying = m_bPlayStarted;
    m_listVideo.DeleteItem(mark);
    const int count = m_listVideo.GetItemCount();
    if (mark == m_nSelIndex) {
        OnBtnStop();
        if (count <= mark) m_nCurrentItemNo = count == 0 ? -1 : count - 1;
        m_nSelIndex = m_nCurrentItemNo;
    } else if (mark < m_nSelIndex) {
        m_nCurrentItemNo = m_nCurrentItemNo - 1;
        m_nSelIndex = m_nCurrentItemNo;
        TraceA("####################### SetSelectItem(%d) #######################", m_nCurrentItemNo);
        if (m_nCurrentItemNo >= 0) SelectListItem(m_nCurrentItemNo);
        if (bWasPlaying) m_listVideo.SetCurrentItem(m_nCurrentItemNo);
    }
    TraceA("####################### DeleteItemText(m_nCurrentItemNo:%d) #######################", m_nCurrentItemNo);
    RedrawList();
}
