#pragma once
// A correlation computed from the control points of a ".tab" file beside
// the image: lines "(x, y) (column, row)" pairing model points with pixels.
// Read only.
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"

namespace Omvi
{

class CorrelationOptionInterface;
class ImageFormatCodec;

class FormatCodecTabCorrelation : public FormatCodecExternalCorrelation
{
public:
    // The most control points used; further ones are ignored.
    static constexpr int kMaximumPoints = 100;

    // Looks for the ".tab" file of `image` (through `option` when one is
    // given); the texts are loaded only when one is found.
    FormatCodecTabCorrelation(const ImageFormatCodec* codec, const FileSpecifier& image,
                              const CorrelationOptionInterface* option);
    FormatCodecTabCorrelation(const FormatCodecTabCorrelation& other);
    ~FormatCodecTabCorrelation() override;

    FormatCodecTabCorrelation* clone() const override;

    // Reads files below 1 MiB; a file without a control point leaves the
    // correlation invalid. Never throws.
    void read() override;
};

} // namespace Omvi
