#ifndef DWFPUBLISHER_MODEL_SEGMENTHANDLERBUILDER_H
#define DWFPUBLISHER_MODEL_SEGMENTHANDLERBUILDER_H

class TK_Close_Segment;
class TK_Open_Segment;
class TK_Referenced_Segment;

namespace DWFToolkit
{

//
// Hands out the W3D handlers of segment structure: opening, closing,
// including and styling segments.
// A caller fills the handler it gets and serializes it, which appends the
// record to the stream the handler reports to; the handler stays with the
// builder. Every getter of this base throws DWFNotImplementedException
// "Handler not available in this builder".
//
class DWFSegmentHandlerBuilder
{
public:
    virtual ~DWFSegmentHandlerBuilder();

    virtual TK_Close_Segment& getCloseSegmentHandler();
    virtual TK_Open_Segment& getOpenSegmentHandler();
    virtual TK_Referenced_Segment& getIncludeSegmentHandler();
    virtual TK_Referenced_Segment& getStyleSegmentHandler();
};

} // namespace DWFToolkit

#endif
