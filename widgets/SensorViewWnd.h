#pragma once

// The graph panel beside the video: over the whole length of the open recording either the three
// G-sensor axes or the vehicle speed, with a vertical cursor at the play second. The panel owns
// the track holder of the open recording; the player window reaches the track through it.
//
// Everything the painting needs is copied into flat arrays once per opened recording, so a
// repaint walks the columns with one array read per trace and no track calls. GUI thread only.

#include "recording/TorvixGpsData.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/platform/Gdi.h>
#include <zent/util/ZuImage.h>

#include <memory>
#include <string>
#include <vector>

class CSensorViewWnd : public zent::CBmpCtrl {
public:
    static constexpr zent::UINT kBackgroundId = 99;

    // Pens (0x00BBGGRR).
    static constexpr zent::COLORREF kColourX = 0x005AFF;      // orange-red: X, speed over the limit
    static constexpr zent::COLORREF kColourY = 0x0FF07E;      // green
    static constexpr zent::COLORREF kColourZ = 0xFFC71E;      // sky blue: Z, speed
    static constexpr zent::COLORREF kColourCursor = 0xC0C0C0; // silver
    static constexpr zent::COLORREF kColourSpare = 0x323232;
    static constexpr zent::COLORREF kTransparentKey = 0xFF00FF;

    // The G-sensor plot fills its half height at this many g.
    static constexpr float kSensorRange = 2.5f;
    // The speed plot tops out here: km/h, and mph.
    static constexpr double kSpeedLimitKmh = 200.0;
    static constexpr double kSpeedLimitMph = 120.0;
    static constexpr double kMphPerKmh = 0.6213712;
    // Rows kept free above the speed plot, and how far its line sits above the bottom.
    static constexpr int kSpeedHeadroom = 15;
    static constexpr int kSpeedBaseline = 7;

    // Data modes.
    static constexpr int kModeNone = -1;
    static constexpr int kModeNoTrack = 0;
    static constexpr int kModeTrack = 1;

    // Arrays longer than this are cut: a damaged file may claim billions of samples, and no
    // recording comes near it (it is more than a day at 30 samples a second).
    static constexpr int kMaxEntries = 1 << 22;

    CSensorViewWnd();
    ~CSensorViewWnd() override;
    CSensorViewWnd(const CSensorViewWnd&) = delete;
    CSensorViewWnd& operator=(const CSensorViewWnd&) = delete;

    // Registers with the dialog, loads the background (id 99 from GetSkinLoader()), takes its
    // skin rectangle as the control's place and reads the "SpeedUnit" setting. 1, or 0 when the
    // control cannot register or there is no skin loader.
    using zent::CBmpCtrl::InitControl;
    int InitControl();

    // Opening a recording: Reset, the path, the track loaded by a fresh holder, the graph
    // prepared for nDuration seconds (SetMode) and the speeds (MakeSpeedArray); the panel is no
    // longer suppressed. Returns the kind of the parser that found the track, or -1.
    int OpenRecording(const std::wstring& path, int nDuration);
    // Releases the track (the holder and so every parser's data) and all arrays; a fresh empty
    // holder takes its place. Cursor 0, no data mode, not suppressed; the speed unit is read
    // again from the settings.
    void Reset();
    // parserIndex -1: no track, nDuration entries of "no value" in the live arrays (mode 0).
    // 0..4: the whole recording's samples from the holder (mode 1). Above 4: mode -1 and -1.
    // Returns 0 otherwise.
    int SetMode(int parserIndex, int nDuration);
    // The speeds of the track's fixes; a fix without a speed repeats the one before. Returns the
    // number of fixes.
    int MakeSpeedArray();

    // The holder of the open recording when it found a track, else null.
    CTorvixGpsData* GetGpsData();
    const CTorvixGpsData* GetGpsData() const;
    const std::wstring& GetFilePath() const { return m_strFilePath; }

    // The play second of the cursor; redraw 1 repaints through the dialog.
    void SetPosition(int nSecond, int redraw = 1);
    int GetPosition() const { return m_nCurrentSecond; }
    // The view: 0 G-sensor, 1 speed (the "GraphMode" setting).
    void SetGraphMode(int mode);
    int GetGraphMode() const { return m_bSpeedView; }
    // Set while nothing plays: the background alone is drawn.
    void SetSuppressed(int suppressed) { m_bSuppressed = suppressed ? 1 : 0; }
    int GetSuppressed() const { return m_bSuppressed; }
    // 0 km/h, non-zero mph.
    void SetSpeedUnit(int unit) { m_nSpeedUnit = unit; }
    int GetSpeedUnit() const { return m_nSpeedUnit; }

    int GetMode() const { return m_nMode; }
    // The number of fixes the speed array holds, and the recording's length the cursor runs over.
    int GetRecordCount() const { return m_nRecordCount; }
    int GetDuration() const { return m_nDuration; }

    // The whole recording's samples, one per track record (empty without a track).
    const std::vector<float>& GetX() const { return m_vecX; }
    const std::vector<float>& GetY() const { return m_vecY; }
    const std::vector<float>& GetZ() const { return m_vecZ; }
    const std::vector<float>& GetSpeeds() const { return m_vecSpeed; }
    // The sample of the arrays for play second nSecond of a graph prepared for nGraphDuration
    // seconds, counting nSampleCount samples: index nSecond * nSampleCount / nGraphDuration in
    // whole numbers, held to the arrays. All 0 without arrays or duration.
    void GetSensorValues(int nSecond, int nSampleCount, int nGraphDuration, float& x, float& y, float& z) const;

    int DrawCtrl(zent::HDC dc, zent::POINT origin) override;

private:
    void FreeArrays();
    void DrawSensorPlot(zent::HDC dc, int w, int h);
    void DrawSpeedPlot(zent::HDC dc, int w, int h);
    // Cursor column of the current second in a plot w wide whose left edge is at left; false
    // without a duration.
    bool CursorX(int w, int left, int& x) const;
    bool PreparePicture(int w, int h);

    zent::UniquePen m_penX;
    zent::UniquePen m_penY;
    zent::UniquePen m_penZ;
    zent::UniquePen m_penCursor;
    zent::UniquePen m_penSpare;

    std::vector<float> m_vecLiveX, m_vecLiveY, m_vecLiveZ; // mode 0: "no value" per second
    std::vector<float> m_vecX, m_vecY, m_vecZ;             // mode 1: one per track record
    std::vector<float> m_vecSpeed;                          // km/h, one per fix

    int m_nMode = kModeNone;
    std::unique_ptr<CTorvixGpsData> m_pGpsData;
    std::wstring m_strFilePath;
    int m_nRecordCount = 0;
    int m_nCurrentSecond = 0;
    int m_nDuration = 0; // the time axis, seconds; 0 until a track is found
    int m_bSpeedView = 0;
    int m_bSuppressed = 0;
    int m_nSpeedUnit = 0;

    zent::CZuImage m_imgBackground;
    // The plot is drawn here over the transparent key, then keyed over the background. Kept
    // between paints; the device context goes before the bitmap selected into it.
    zent::UniqueBitmap m_bmpPlot;
    zent::UniqueDC m_dcPlot;
    int m_nPlotWidth = 0;
    int m_nPlotHeight = 0;
};
