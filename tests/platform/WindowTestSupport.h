#pragma once

// A headless loop per test and a message log that window procedures write into, so that tests
// can state which window received what, in which order.

#include <zent/platform/MessageLoop.h>
#include <zent/platform/Window.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace windowtest {

struct Logged {
    zent::HWND hwnd = nullptr;
    zent::UINT message = 0;
    zent::WPARAM wParam = 0;
    zent::LPARAM lParam = 0;
};

class CMessageLog {
public:
    using Handler = std::function<zent::LRESULT(zent::HWND, zent::UINT, zent::WPARAM, zent::LPARAM)>;

    // A procedure that logs, then runs the handler for that message if one is set, else
    // DefWindowProc.
    zent::WNDPROC Proc()
    {
        return [this](zent::HWND hwnd, zent::UINT msg, zent::WPARAM w, zent::LPARAM l) -> zent::LRESULT {
            m_vec.push_back(Logged{hwnd, msg, w, l});
            auto it = m_handlers.find(msg);
            if (it != m_handlers.end()) return it->second(hwnd, msg, w, l);
            return zent::DefWindowProc(hwnd, msg, w, l);
        };
    }
    void On(zent::UINT msg, Handler fn) { m_handlers[msg] = std::move(fn); }

    std::vector<Logged> Of(zent::UINT msg, zent::HWND hwnd = nullptr) const
    {
        std::vector<Logged> out;
        for (const Logged& e : m_vec)
            if (e.message == msg && (!hwnd || e.hwnd == hwnd)) out.push_back(e);
        return out;
    }
    int Count(zent::UINT msg, zent::HWND hwnd = nullptr) const { return static_cast<int>(Of(msg, hwnd).size()); }
    // The windows that received msg, in order.
    std::vector<zent::HWND> Receivers(zent::UINT msg) const
    {
        std::vector<zent::HWND> out;
        for (const Logged& e : m_vec)
            if (e.message == msg) out.push_back(e.hwnd);
        return out;
    }
    void Clear() { m_vec.clear(); }
    const std::vector<Logged>& All() const { return m_vec; }

private:
    std::vector<Logged> m_vec;
    std::map<zent::UINT, Handler> m_handlers;
};

class CWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto pPresenter = std::make_unique<zent::CHeadlessPresenter>();
        m_pPresenter = pPresenter.get();
        m_pLoop = zent::CMessageLoop::Create(std::move(pPresenter));
        ASSERT_TRUE(m_pLoop);
    }
    void TearDown() override { m_pLoop.reset(); }

    zent::HWND MakeTop(int x, int y, int cx, int cy, zent::DWORD dwStyle = zent::WS_VISIBLE)
    {
        return zent::CreateWindowEx(0, L"Top", L"", dwStyle | zent::WS_POPUP, x, y, cx, cy, nullptr, 0, m_log.Proc());
    }
    zent::HWND MakeChild(zent::HWND hwndParent, int x, int y, int cx, int cy, zent::UINT nID = 0,
                         zent::DWORD dwStyle = zent::WS_VISIBLE, zent::DWORD dwExStyle = 0)
    {
        return zent::CreateWindowEx(dwExStyle, L"Child", L"", dwStyle | zent::WS_CHILD, x, y, cx, cy, hwndParent, nID,
                                    m_log.Proc());
    }
    void Pump() { m_pLoop->PumpUntilIdle(); }
    void Advance(int ms) { m_pPresenter->AdvanceClock(std::chrono::milliseconds(ms)); }

    zent::CHeadlessPresenter* m_pPresenter = nullptr;
    std::unique_ptr<zent::CMessageLoop> m_pLoop;
    CMessageLog m_log;
};

inline zent::POINT PointOf(zent::LPARAM l)
{
    return zent::POINT{zent::GET_X_LPARAM(l), zent::GET_Y_LPARAM(l)};
}

} // namespace windowtest
