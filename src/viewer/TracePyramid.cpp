#include "viewer/TracePyramid.h"

#include <algorithm>

namespace gw::view {

void TracePyramid::Clear() {
    set_ = nullptr;
    for (auto& l : levels_) l.clear();
}

float TracePyramid::Value(int channel, std::size_t i) const {
    return static_cast<float>(ChannelValue(set_->samples[i], channel, injector_, set_->constants, scales_));
}

void TracePyramid::Build(const SampleSet& set, const SampleScales& scales, int injector) {
    Clear();
    set_ = &set;
    scales_ = scales;
    injector_ = injector;
    const std::size_t n = set.samples.size();
    for (int c = 0; c < kChannels; ++c) {
        auto& levels = levels_[static_cast<std::size_t>(c)];
        // Level 1 from the samples.
        std::size_t blocks = (n + kFactor - 1) / kFactor;
        if (blocks < 2) continue;
        Level first;
        first.lo.resize(blocks);
        first.hi.resize(blocks);
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t from = b * kFactor, to = std::min(n, from + kFactor);
            float lo = Value(c, from), hi = lo;
            for (std::size_t i = from + 1; i < to; ++i) {
                const float v = Value(c, i);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            first.lo[b] = lo;
            first.hi[b] = hi;
        }
        levels.push_back(std::move(first));
        // Each further level from the one below, while it has more than one block.
        while (levels.back().lo.size() > 1) {
            const Level& below = levels.back();
            const std::size_t m = below.lo.size();
            blocks = (m + kFactor - 1) / kFactor;
            Level up;
            up.lo.resize(blocks);
            up.hi.resize(blocks);
            for (std::size_t b = 0; b < blocks; ++b) {
                const std::size_t from = b * kFactor, to = std::min(m, from + kFactor);
                up.lo[b] = *std::min_element(below.lo.begin() + static_cast<std::ptrdiff_t>(from),
                                             below.lo.begin() + static_cast<std::ptrdiff_t>(to));
                up.hi[b] = *std::max_element(below.hi.begin() + static_cast<std::ptrdiff_t>(from),
                                             below.hi.begin() + static_cast<std::ptrdiff_t>(to));
            }
            levels.push_back(std::move(up));
        }
    }
}

TracePyramid::Span TracePyramid::RangeAt(int channel, std::size_t level, std::size_t a, std::size_t b) const {
    Span s;
    if (a >= b) return s;
    if (level == 0) {
        s.lo = s.hi = Value(channel, a);
        for (std::size_t i = a + 1; i < b; ++i) {
            const float v = Value(channel, i);
            s.lo = std::min(s.lo, v);
            s.hi = std::max(s.hi, v);
        }
        s.any = true;
        return s;
    }
    std::size_t block = 1;
    for (std::size_t l = 0; l < level; ++l) block *= kFactor;
    const std::size_t fa = (a + block - 1) / block, fb = b / block;
    if (fa >= fb) return RangeAt(channel, level - 1, a, b);
    const Level& lv = levels_[static_cast<std::size_t>(channel)][level - 1];
    s.lo = lv.lo[fa];
    s.hi = lv.hi[fa];
    s.any = true;
    for (std::size_t k = fa + 1; k < fb; ++k) {
        s.lo = std::min(s.lo, lv.lo[k]);
        s.hi = std::max(s.hi, lv.hi[k]);
    }
    for (const Span& e : {RangeAt(channel, level - 1, a, fa * block), RangeAt(channel, level - 1, fb * block, b)}) {
        if (!e.any) continue;
        s.lo = std::min(s.lo, e.lo);
        s.hi = std::max(s.hi, e.hi);
    }
    return s;
}

TracePyramid::Span TracePyramid::Range(int channel, std::size_t a, std::size_t b) const {
    if (!set_ || channel < 0 || channel >= kChannels) return {};
    b = std::min(b, Size());
    if (a >= b) return {};
    // The highest level whose blocks fit the run (the edges go down a level at a time).
    const auto& levels = levels_[static_cast<std::size_t>(channel)];
    std::size_t level = 0, block = kFactor;
    while (level < levels.size() && block <= b - a) {
        ++level;
        block *= kFactor;
    }
    return RangeAt(channel, level, a, b);
}

std::size_t TracePyramid::Bytes() const {
    std::size_t n = 0;
    for (const auto& levels : levels_)
        for (const auto& l : levels) n += (l.lo.size() + l.hi.size()) * sizeof(float);
    return n;
}

}  // namespace gw::view
