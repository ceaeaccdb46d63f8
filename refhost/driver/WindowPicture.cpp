#include "refhost/driver/WindowPicture.h"

#include "base/Raii.h"

namespace refhost {

bool SaveWindowPicture(HWND hWnd, const std::string &bmpPath)
{
    ::ShowWindow(hWnd, SW_SHOW);
    ::RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME | RDW_ERASE);
    // Controls paint in answer to posted messages; give them a moment.
    MSG msg;
    for (int i = 0; i < 20; ++i)
    {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0)
        return false;
    mimic::WindowDC screen(nullptr);
    mimic::UniqueMemoryDC mem(::CreateCompatibleDC(screen.get()));
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    mimic::UniqueHBitmap bmp(::CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp)
        return false;
    {
        mimic::SelectedObject selected(mem.get(), bmp.get());
        ::BitBlt(mem.get(), 0, 0, w, h, screen.get(), rc.left, rc.top, SRCCOPY);
    }
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42; // "BM"
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    mimic::UniqueFile f(::CreateFileA(bmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD a = 0, b = 0, c = 0;
    return f && ::WriteFile(f.get(), &fh, sizeof(fh), &a, nullptr) &&
           ::WriteFile(f.get(), &bi.bmiHeader, sizeof(bi.bmiHeader), &b, nullptr) &&
           ::WriteFile(f.get(), bits, size, &c, nullptr) && c == size;
}

} // namespace refhost
