#include "shell/net/merge_thread.h"

#include <memory>

TCLMergeThread::TCLMergeThread()
{
    window_.Create();
}

TCLMergeThread::~TCLMergeThread() = default;

UINT TCLMergeThread::MergeMessage()
{
    static const UINT message = platform::RegisterWindowMessage("TCLMergeThreadMessage");
    return message;
}

void TCLMergeThread::SendToWindow(HWND window, I_MessageHandle* handler, I_MessageData* data)
{
    // Answered 1 when the window ran it (and freed the record).
    if (platform::SendMessage(window, MergeMessage(), reinterpret_cast<WPARAM>(handler), reinterpret_cast<LPARAM>(data))
        != 1)
        delete data;
}

LRESULT TCLMergeThread::Window::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == MergeMessage()) {
        const std::unique_ptr<I_MessageData> data(reinterpret_cast<I_MessageData*>(lParam));
        if (wParam && data)
            reinterpret_cast<I_MessageHandle*>(wParam)->handle(data.get());
        return 1;
    }
    return CWnd::WindowProc(msg, wParam, lParam);
}
