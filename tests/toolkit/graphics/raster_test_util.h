#pragma once
// Helpers for the pixel tests: a white memory DC of a given size and an ASCII picture of a
// part of it, so expected pixels read as pictures.
#include "toolkit/graphics/Windows.h"

#include <map>
#include <string>

namespace qel::test {

class TTestDC {
  public:
    TTestDC(int W, int H, COLORREF Fill = 0xFFFFFF) {
        Dc = CreateCompatibleDC(0);
        Bmp = CreateBitmap(W, H, 1, 32, nullptr);
        Old = SelectObject(Dc, Bmp);
        Clear(Fill);
    }
    ~TTestDC() {
        SelectObject(Dc, Old);
        DeleteObject(Bmp);
        DeleteDC(Dc);
    }
    TTestDC(const TTestDC&) = delete;
    TTestDC& operator=(const TTestDC&) = delete;

    void Clear(COLORREF C) {
        for (auto& P : GetBitmapSurface(Bmp)->Pixels)
            P = PixelFromRGB(C);
    }
    TSurface& Surface() { return *GetBitmapSurface(Bmp); }
    COLORREF At(int X, int Y) { return RGBFromPixel(Surface().Get(X, Y)); }
    operator HDC() const { return Dc; }

    // One character per pixel: '.' white, '#' black, 'o' anything else unless named in Names.
    std::string Picture(int W, int H, const std::map<COLORREF, char>& Names = {}) {
        std::string S;
        for (int Y = 0; Y < H; ++Y) {
            for (int X = 0; X < W; ++X) {
                const COLORREF C = At(X, Y);
                auto It = Names.find(C);
                if (It != Names.end())
                    S += It->second;
                else if (C == 0xFFFFFF)
                    S += '.';
                else if (C == 0)
                    S += '#';
                else
                    S += 'o';
            }
            S += '\n';
        }
        return S;
    }

    HDC Dc = 0;
    HBITMAP Bmp = 0;
    HGDIOBJ Old = 0;
};

// Rows joined with newlines, for writing expected pictures.
inline std::string Art(std::initializer_list<const char*> Rows) {
    std::string S;
    for (const char* R : Rows) {
        S += R;
        S += '\n';
    }
    return S;
}

// Selects an object for the lifetime of the guard and deletes it afterwards.
class TSelect {
  public:
    TSelect(HDC Dc, HGDIOBJ Obj) : Dc(Dc), Obj(Obj), Old(SelectObject(Dc, Obj)) {}
    ~TSelect() {
        SelectObject(Dc, Old);
        DeleteObject(Obj);
    }
    TSelect(const TSelect&) = delete;
    TSelect& operator=(const TSelect&) = delete;

  private:
    HDC Dc;
    HGDIOBJ Obj, Old;
};

} // namespace qel::test
