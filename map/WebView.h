#pragma once

// The hidden page of the speed-camera panel: a WebKitGTK view in an off-screen window of the
// panel's size. The panel never shows it; it paints the view's snapshot instead. When the page has
// finished loading the view learns the document's first link and posts WM_BROWSER_UPDATE to the
// panel; a page that cannot be loaded (or a web process that ends) posts WM_BROWSER_UPDATE_FAIL.
// GUI thread only.

#include <zent/platform/Messages.h>
#include <zent/platform/Types.h>

#include <functional>
#include <memory>
#include <string>

// View -> panel.
constexpr zent::UINT WM_BROWSER_UPDATE = 0x7501;
constexpr zent::UINT WM_BROWSER_UPDATE_FAIL = 0x7502;

// What the panel needs of its page; tests hand it a stand-in (CBmpWebLink::SetPageViewFactory).
class IPageView {
public:
    virtual ~IPageView() = default;
    // Starts loading the address.
    virtual void Navigate(const std::string& uri) = 0;
    // Navigate was called.
    virtual bool IsNavigated() const = 0;
    // The page's picture, handed to done on the GUI thread (valid during the call; null when
    // there is none).
    using SnapshotDone = std::function<void(zent::HBITMAP)>;
    virtual void Snapshot(SnapshotDone done) = 0;
    // The "href" of the document's first link as the loaded page has it; empty when it has none.
    virtual std::string GetFirstLink() const = 0;
    // Runs what WebKit's callbacks handed over (the panel calls it for WM_WEBVIEW_RUN_PENDING).
    virtual void RunPending() {}
};

class CWebView final : public IPageView {
public:
    // An off-screen view of width x height that reports to hwndNotify; null without the GTK
    // presenter (no display).
    static std::unique_ptr<CWebView> Create(int nWidth, int nHeight, zent::HWND hwndNotify);
    ~CWebView() override;
    CWebView(const CWebView&) = delete;
    CWebView& operator=(const CWebView&) = delete;

    void Navigate(const std::string& uri) override;
    bool IsNavigated() const override;
    void Snapshot(SnapshotDone done) override;
    std::string GetFirstLink() const override;
    void RunPending() override;

    struct CCore; // GTK side; defined in the .cpp

private:
    explicit CWebView(std::shared_ptr<CCore> pCore);
    std::shared_ptr<CCore> m_pCore; // WebKit's pending callbacks hold weak references
};
