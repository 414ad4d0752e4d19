#ifndef DWFPUBLISHER_MODEL_INCLUDESEGMENT_H
#define DWFPUBLISHER_MODEL_INCLUDESEGMENT_H

#include "dwf/publisher/model/Segment.h"

namespace DWFToolkit
{

//
// A segment of the model's include library: written once under
// "?Include Library/" followed by its key, and brought into other segments by
// DWFSegment::include. Its published object is marked as an include object, of
// which the package publisher makes a definition but no instance of its own.
//
class DWFIncludeSegment : public DWFSegment
{
public:
    static const char16_t* const kLibraryPath;

    // At the top level: an include segment has no parent object.
    DWFIncludeSegment(DWFSegmentHandlerBuilder* segmentBuilder,
                      DWFGeometryHandlerBuilder* geometryBuilder,
                      DWFFeatureHandlerBuilder* featureBuilder,
                      DWFAttributeHandlerBuilder* attributeBuilder,
                      DWFPublishedObject::Factory* factory);

    //
    // Opens the segment as an include object named `name`. Include segments
    // never take the published-edges style (`publishEdges` is ignored), and
    // are always named: a null name counts as the empty one.
    //
    void open(const DWFCore::DWFString& name, bool publishEdges = false) override;
    void open(const DWFCore::DWFString* name = nullptr, bool publishEdges = false) override;
};

} // namespace DWFToolkit

#endif
