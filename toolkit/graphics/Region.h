#pragma once
// A pixel region as y-banded rectangles: bands of rows that share one sorted list of disjoint
// x-spans. Clipping a rectangle against it walks the bands once, so fills and blits stay
// row-wise memory operations however complex the clip is.
#include "toolkit/core/Export.h"
#include "toolkit/graphics/RasterTypes.h"

#include <utility>
#include <vector>

QEL_PUBLIC_BEGIN

namespace qel {

class TRegion {
  public:
    struct TBand {
        int Top = 0, Bottom = 0;
        std::vector<int> X; // x1, x2 pairs, half-open, sorted, neither overlapping nor touching
        bool operator==(const TBand&) const = default;
    };
    enum class TOp { And, Or, Xor, Diff };

    TRegion() = default;
    explicit TRegion(const TRect& R);
    // Rows Top, Top+1, … each with any spans (unsorted, overlapping allowed).
    static TRegion FromRows(int Top, const std::vector<std::vector<std::pair<int, int>>>& Rows);
    // Pixels whose centres lie inside the polygons (vertices on pixel corners). Alternate or
    // winding rule as the platform's fill modes 1 and 2. Only rows inside Limit when given.
    static TRegion FromPolygons(const std::vector<std::pair<double, double>>& Pts,
                                const std::vector<int>& Counts, bool Winding,
                                const TRect* Limit = nullptr);
    static TRegion Combine(const TRegion& A, const TRegion& B, TOp Op);

    bool Empty() const { return Bands_.empty(); }
    TRect Box() const;
    bool IsRect() const { return Bands_.size() == 1 && Bands_[0].X.size() == 2; }
    bool Contains(int X, int Y) const;
    bool Intersects(const TRect& R) const;
    void Offset(int Dx, int Dy);
    void Clear() { Bands_.clear(); }
    const std::vector<TBand>& Bands() const { return Bands_; }
    std::vector<TRect> Rects() const;
    bool operator==(const TRegion& O) const { return Bands_ == O.Bands_; }

    // Calls F(Left, Top, Right, Bottom) for every piece of the region inside Clip, top to
    // bottom, left to right.
    template <class F> void ForEachIn(const TRect& Clip, F&& Fn) const {
        if (Clip.Left >= Clip.Right || Clip.Top >= Clip.Bottom) return;
        for (const TBand& B : Bands_) {
            if (B.Bottom <= Clip.Top) continue;
            if (B.Top >= Clip.Bottom) break;
            const int T = B.Top > Clip.Top ? B.Top : Clip.Top;
            const int Bo = B.Bottom < Clip.Bottom ? B.Bottom : Clip.Bottom;
            for (std::size_t I = 0; I < B.X.size(); I += 2) {
                const int L = B.X[I] > Clip.Left ? B.X[I] : Clip.Left;
                const int R = B.X[I + 1] < Clip.Right ? B.X[I + 1] : Clip.Right;
                if (L < R) Fn(L, T, R, Bo);
            }
        }
    }
    template <class F> void ForEach(F&& Fn) const {
        for (const TBand& B : Bands_)
            for (std::size_t I = 0; I < B.X.size(); I += 2)
                Fn(B.X[I], B.Top, B.X[I + 1], B.Bottom);
    }

  private:
    void Append(int Top, int Bottom, std::vector<int>&& X);
    std::vector<TBand> Bands_;
};

} // namespace qel

QEL_PUBLIC_END
