// AnswerSink: where the answer dispatch hands the ECU's blocks and samples. The parameter
// image implements it; the link only moves bytes and never interprets a block.
#pragma once

#include <string>

namespace gw {

class AnswerSink {
public:
    virtual ~AnswerSink() = default;
    // Each block store gets the whole answer frame (one character per byte).
    virtual void DecodeBlock1(const std::string& frame) = 0;
    virtual void DecodeBlock2(const std::string& frame) = 0;
    virtual void DecodeBlock3(const std::string& frame) = 0;
    virtual void DecodeBlock5(const std::string& frame) = 0;
    // Petrol (gas = false) or gas samples of set 0 or 1; the answer's data bytes.
    virtual void DecodeSamples(bool gas, int set, const std::string& data) = 0;
    // The petrol or gas sample table was cleared in the ECU.
    virtual void SamplesCleared(bool gas) = 0;
    // Block 2 was written: its pending mode fields go back to "no change".
    virtual void Block2Written() = 0;
};

}  // namespace gw
