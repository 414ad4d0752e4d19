#pragma once
// The face of a horizontal resampler that lets the vertical resampler after
// it drop source rows that no output row needs. When the source is a row
// composer, a dropped row is not even composed.
#include <cstdint>

namespace Omvi
{

class DataBuffer;
class RowProviderInterface;

class XResampler
{
public:
    virtual ~XResampler();

    // Drops one source row: through the composer's own skipRow when the
    // source is a RowComposer, else by pulling the row into `scratch`, which
    // is first grown to one source row when it is shorter.
    virtual void skipRow(DataBuffer& scratch);
    // Stores the source to skip rows of; answers whether it is a
    // RowComposer.
    virtual bool setSource(RowProviderInterface* source);

protected:
    RowProviderInterface* source_ = nullptr; // not owned
    bool sourceIsComposer_ = false;
};

} // namespace Omvi
