#pragma once
// GDI+ with the COM headers it needs under WIN32_LEAN_AND_MEAN.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

// GDI+ started for the lifetime of the object.
class GdiplusSession {
public:
    GdiplusSession() { ok_ = Gdiplus::GdiplusStartup(&token_, &input_, nullptr) == Gdiplus::Ok; }
    ~GdiplusSession()
    {
        if (ok_)
            Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return ok_; }

private:
    Gdiplus::GdiplusStartupInput input_;
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};
