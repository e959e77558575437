#pragma once
// Handing one result from a worker thread to the user-interface thread: the
// worker sends "TCLMergeThreadMessage" to a hidden window with the handler
// and a record; the window runs the handler on its own thread and frees the
// record. A window that is gone by then simply never runs it.
#include "platform/window.h"

class I_MessageData {
public:
    virtual ~I_MessageData() = default;
};

class I_MessageHandle {
public:
    virtual ~I_MessageHandle() = default;
    virtual void handle(I_MessageData* data) = 0;
};

class TCLMergeThread : public I_MessageHandle {
public:
    TCLMergeThread();
    virtual ~TCLMergeThread();
    HWND GetMergeWindow() const { return window_.GetSafeHwnd(); }
    static UINT MergeMessage();  // the registered "TCLMergeThreadMessage"

    // From any thread: runs handler->handle(data) on the window's thread and
    // frees data; when the window is gone, frees data without running it.
    static void SendToWindow(HWND window, I_MessageHandle* handler, I_MessageData* data);

protected:
    // No handler runs after this; later sends free their record unhandled.
    void CloseMergeWindow() { window_.Destroy(); }

private:
    class Window : public CWnd {
    protected:
        LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    };
    Window window_;
};
