#include "LoopCore.h"

#include <zent/platform/MessageLoop.h>

namespace zent {

namespace {

// Which public loop wraps the core of this thread.
thread_local CMessageLoop* t_pLoop = nullptr;

} // namespace

std::unique_ptr<CMessageLoop> CMessageLoop::Create(std::unique_ptr<IPresenter> pPresenter)
{
    std::unique_ptr<wnd::CLoopCore> pCore = wnd::CLoopCore::Create(std::move(pPresenter));
    if (!pCore) return nullptr;
    auto pLoop = std::make_unique<CMessageLoop>(PrivateTag{}, std::move(pCore));
    t_pLoop = pLoop.get();
    return pLoop;
}

CMessageLoop::CMessageLoop(PrivateTag, std::unique_ptr<wnd::CLoopCore> pCore) : m_pCore(std::move(pCore)) {}

CMessageLoop::~CMessageLoop()
{
    m_pCore->Shutdown();
    m_pCore.reset();
    if (t_pLoop == this) t_pLoop = nullptr;
}

CMessageLoop* CMessageLoop::Current()
{
    return t_pLoop;
}

IPresenter& CMessageLoop::GetPresenter()
{
    return m_pCore->Presenter();
}

TimePoint CMessageLoop::Now() const
{
    return m_pCore->Now();
}

int CMessageLoop::Run()
{
    return m_pCore->Run();
}

bool CMessageLoop::PumpPending()
{
    return m_pCore->Pass(false, nullptr);
}

int CMessageLoop::PumpUntilIdle(int nMaxPasses)
{
    int nBusy = 0;
    while (nBusy < nMaxPasses && m_pCore->Pass(false, nullptr)) ++nBusy;
    return nBusy;
}

INT_PTR CMessageLoop::RunModal(HWND hwnd)
{
    return m_pCore->RunModal(hwnd);
}

int CMessageLoop::GetModalDepth() const
{
    return m_pCore->ModalDepth();
}

} // namespace zent
