// The recording rows of the video list. Apart from the control itself because it needs the
// recording layer's name rules, which only the program links; the control alone does not.
#include "widgets/SkinListCtrl.h"

#include "recording/RecordingCatalog.h"

#include <zent/platform/Paths.h>

int CSkinListCtrl::InsertRecordingRow(const std::wstring& itemRecord, const std::vector<std::wstring>& texts)
{
    const std::wstring path = itemRecord.substr(0, itemRecord.find(L'*'));
    std::wstring date, time;
    GetRowDateTimeTexts(zent::BareFileName(path), date, time);
    const int row = InsertItem(GetItemCount(), itemRecord);
    // From the first column that shows: a list may keep a zero-width column first.
    int column = 0;
    while (column < GetColumnCount() && m_kHeader.GetColumn(column)->nWidth == 0) ++column;
    if (column == GetColumnCount()) column = 0;
    SetItemText(row, column++, date);
    SetItemText(row, column++, time);
    for (const std::wstring& text : texts) SetItemText(row, column++, text);
    return row;
}
