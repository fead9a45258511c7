// The player window's map beside the video: the route of the opened recording, the play position
// and the district of the place.

#include "app/TorvixPlayerMainDlg.h"

void CTorvixPlayerMainDlg::OnOpenRoute() {}

void CTorvixPlayerMainDlg::OnCloseRoute() {}

void CTorvixPlayerMainDlg::OnPlacePosition(int, const std::wstring&) {}
