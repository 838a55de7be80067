#include "draw/StackBlur.h"
#include <cstddef>
#include <memory>
#include <new>

namespace {

// Larger radii give tables of 256 * (radius + 1)^2 entries for no visible gain.
const int kMaxRadius = 254;

struct Divider {
    explicit Divider(int radius) : div(DWORD(radius + 1) * DWORD(radius + 1)) {
        table.reset(new (std::nothrow) BYTE[256 * div]);
        if (!table) return;
        for (DWORD sum = 0; sum < 256 * div; ++sum) table[sum] = static_cast<BYTE>(sum / div);
    }
    BYTE operator()(DWORD sum) const { return table ? table[sum] : static_cast<BYTE>(sum / div); }

    DWORD div;
    std::unique_ptr<BYTE[]> table;
};

struct Sums {
    DWORD c[4] = {};
    void Add(const BYTE* p, DWORD weight = 1) {
        for (int i = 0; i < 4; ++i) c[i] += p[i] * weight;
    }
    void Sub(const BYTE* p) {
        for (int i = 0; i < 4; ++i) c[i] -= p[i];
    }
    void Add(const Sums& s) {
        for (int i = 0; i < 4; ++i) c[i] += s.c[i];
    }
    void Sub(const Sums& s) {
        for (int i = 0; i < 4; ++i) c[i] -= s.c[i];
    }
};

// Blurs one line of `count` pixels, `step` bytes apart, through a copy.
// `sum` is the weighted window; `out` holds the pixels at or left of the
// centre, `in` those right of it; moving the centre by one subtracts `out`
// and adds the new `in`.
void BlurLine(BYTE* line, int count, ptrdiff_t step, int radius, const Divider& divide, BYTE* copy) {
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < 4; ++c) copy[i * 4 + c] = line[i * step + c];
    auto at = [&](int i) { return copy + 4 * (i < 0 ? 0 : i >= count ? count - 1 : i); };
    Sums sum, out, in;
    for (int d = -radius; d <= radius; ++d) {
        sum.Add(at(d), radius + 1 - (d < 0 ? -d : d));
        if (d <= 0) out.Add(at(d)); else in.Add(at(d));
    }
    for (int x = 0; x < count; ++x) {
        for (int c = 0; c < 4; ++c) line[x * step + c] = divide(sum.c[c]);
        sum.Sub(out);
        out.Sub(at(x - radius));
        in.Add(at(x + radius + 1));
        sum.Add(in);
        out.Add(at(x + 1));
        in.Sub(at(x + 1));
    }
}

}  // namespace

void StackBlur(BYTE* pixels, int width, int height, int stride, int radius) {
    if (!pixels || radius < 1 || width < 1 || height < 1) return;
    if (radius > kMaxRadius) radius = kMaxRadius;
    Divider divide(radius);
    int longest = width > height ? width : height;
    std::unique_ptr<BYTE[]> copy(new (std::nothrow) BYTE[size_t(longest) * 4]);
    if (!copy) return;
    for (int y = 0; y < height; ++y)
        BlurLine(pixels + ptrdiff_t(y) * stride, width, 4, radius, divide, copy.get());
    for (int x = 0; x < width; ++x)
        BlurLine(pixels + ptrdiff_t(x) * 4, height, stride, radius, divide, copy.get());
}
