// TracePyramid: a min/max summary of every channel of a sample set, in levels of 16, 256,
// 4096 ... samples, so that the lowest and highest value of any run of samples is found in
// a few dozen steps however long the run. The drawing asks it for one pair per pixel
// column; the samples themselves stay in the set (level 0 is read from them directly).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "viewer/ViewSamples.h"

namespace gw::view {

class TracePyramid {
public:
    static constexpr std::size_t kFactor = 16;

    struct Span {
        float lo = 0;
        float hi = 0;
        bool any = false;
    };

    // Summarises the set (which must outlive the pyramid and stay unchanged); the two time
    // channels with the injector given.
    void Build(const SampleSet& set, const SampleScales& scales, int injector);
    void Clear();

    std::size_t Size() const { return set_ ? set_->samples.size() : 0; }
    float Value(int channel, std::size_t i) const;
    // Lowest and highest value of samples [a, b) of the channel; any = false when empty.
    Span Range(int channel, std::size_t a, std::size_t b) const;
    // Bytes the summary holds (not counting the samples).
    std::size_t Bytes() const;

private:
    struct Level {
        std::vector<float> lo, hi;
    };
    Span RangeAt(int channel, std::size_t level, std::size_t a, std::size_t b) const;

    const SampleSet* set_ = nullptr;
    SampleScales scales_;
    int injector_ = 0;
    // levels_[c][l - 1]: blocks of kFactor^l samples.
    std::array<std::vector<Level>, kChannels> levels_;
};

}  // namespace gw::view
