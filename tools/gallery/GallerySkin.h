#pragma once

// The gallery's skin: every picture and placement its screens use, drawn with cairo at start and
// written as a merged image file with the test-side writer. Ids and rectangles are shared with
// the screens, which place their controls by them.

#include <zent/platform/Types.h>

#include <filesystem>
#include <string>

namespace gallery {

using zent::RECT;
using zent::UINT;

constexpr int kWidth = 800;
constexpr int kHeight = 560;
constexpr int kHeaderHeight = 56;

// Screen background (the whole window).
constexpr UINT kBkScreen = 1;
// Navigation tabs: three looks, then one placement per tab (Buttons, Lists, View, Touch, Keyboard,
// About).
constexpr UINT kTabNormal = 2;
constexpr UINT kTabPressed = 3;
constexpr UINT kTabCurrent = 4;
constexpr UINT kTabRect0 = 90;
constexpr int kTabCount = 6;
// Big buttons: three looks, then placements in two columns.
constexpr UINT kBigNormal = 10;
constexpr UINT kBigPressed = 11;
constexpr UINT kBigDisabled = 12;
constexpr UINT kBigRect0 = 80;
constexpr int kBigCount = 8;
constexpr UINT kLogo = 17;        // a clickable picture
constexpr UINT kStatusRect = 18;  // the status line of every screen
constexpr UINT kCounterRect = 19; // the counter line of the buttons screen
// The list box: its rectangle, the normal and highlighted row pictures.
constexpr UINT kListRect = 20;
constexpr UINT kListRow = 21;
constexpr UINT kListRowHigh = 22;
constexpr int kListRows = 6;
constexpr int kListRowHeight = 48;
// The list box's scroll bar: rectangle, thumb, track, then normal/pressed/disabled of page up,
// line up, line down, page down.
constexpr UINT kBarRect = 30;
constexpr UINT kBarThumb = 31;
constexpr UINT kBarTrack = 32;
constexpr UINT kBarButton0 = 33; // 12 ids
// The list view, its row, and its scroll bar (the same kinds of ids as above).
constexpr UINT kViewRect = 50;
constexpr UINT kViewRow = 51;
constexpr int kViewRowHeight = 50;
constexpr UINT kViewBarRect = 52;
constexpr UINT kViewBarThumb = 53;
constexpr UINT kViewBarTrack = 54;
constexpr UINT kViewBarButton0 = 55; // 12 ids
// The switch rows beside the list box: rectangle, row pictures, and the on and off pictures.
constexpr UINT kSwitchRect = 23;
constexpr UINT kSwitchRow = 24;
constexpr UINT kSwitchRowHigh = 25;
constexpr UINT kSwitchOn = 26;
constexpr UINT kSwitchOff = 27;
constexpr int kSwitchRows = 4;
// The touch screen: a caption over each view, the text view and its scroll step, the picture
// strip (its ground, then normal and pressed looks of each button), the picture rows of list
// view 2 (normal and selected of each kind), and list view 3 with its rows and section icon.
constexpr UINT kTouchCaption0 = 100; // 4 captions
constexpr UINT kTextViewRect = 104;
constexpr UINT kTextViewRow = 105;
constexpr UINT kStripRect = 106;
constexpr UINT kStripGround = 107;
constexpr UINT kStripButton0 = 110; // normal, pressed for each button
constexpr int kStripButtons = 8;
constexpr int kStripButtonSize = 64;
constexpr int kStripSpacing = 8;
constexpr UINT kList2Rect = 130;
constexpr UINT kList2Row = 131;
constexpr UINT kList2Picture0 = 132; // normal, selected for each kind
constexpr int kList2Kinds = 4;
constexpr int kList2RowHeight = 46;
constexpr UINT kList3Rect = 140;
constexpr UINT kList3Row = 141;
constexpr UINT kList3RowHigh = 142;
constexpr UINT kList3Section = 143;
constexpr int kList3RowHeight = 40;
constexpr int kList3SectionHeight = 28;
// The about screen's lines.
constexpr UINT kAboutRect0 = 70; // 3 lines
constexpr int kAboutLines = 3;
// The on-screen keyboard's base id; its layout runs up to base + 126 + 2 * 17.
constexpr UINT kKeyboardBase = 200;

// The tab placements on screen.
RECT TabRect(int index);
RECT BigRect(int index);

// Writes the skin file; false when a picture cannot be made or the file cannot be written.
bool WriteGallerySkin(const std::filesystem::path& path, std::string* pError);

} // namespace gallery
