#ifndef DWFPACKAGE_GRAPHICRESOURCE_H
#define DWFPACKAGE_GRAPHICRESOURCE_H

#include "dwf/package/Resource.h"

#include <cstdint>

namespace DWFToolkit
{

//
// A resource that draws: a 2D or 3D stream, an image. Adds placement (clip,
// extents, a 4 x 4 transform), visibility and authoring details.
//
class DWFGraphicResource : public DWFResource
{
public:
    enum teOrientation : std::int32_t
    {
        eNotSpecified = 0,
        eAlwaysInSync = 1,
        eAlwaysDifferent = 2,
        eDecoupled = 3
    };

    explicit DWFGraphicResource(DWFPackageReader* reader = nullptr);
    DWFGraphicResource(const DWFCore::DWFString& title, const DWFCore::DWFString& role,
                       const DWFCore::DWFString& mime,
                       const DWFCore::DWFString& author = DWFCore::DWFString(),
                       const DWFCore::DWFString& description = DWFCore::DWFString(),
                       const DWFCore::DWFString& creationTime = DWFCore::DWFString(),
                       const DWFCore::DWFString& modificationTime = DWFCore::DWFString());

    bool show() const noexcept { return _show; }
    std::int32_t zOrder() const noexcept { return _zOrder; }
    const double* clip() const noexcept { return _clip; }
    const double* extents() const noexcept { return _extents; }
    // Row by row; elements 0, 5, 10 and 15 form the diagonal.
    const double* transform() const noexcept { return _transform; }
    std::int32_t effectiveResolution() const noexcept { return _effectiveResolution; }
    const DWFCore::DWFString& author() const noexcept { return _author; }
    const DWFCore::DWFString& description() const noexcept { return _description; }
    const DWFCore::DWFString& creationTime() const noexcept { return _creationTime; }
    const DWFCore::DWFString& modificationTime() const noexcept { return _modificationTime; }
    teOrientation orientation() const noexcept { return _orientation; }

    // A null array leaves its field unchanged; the scalars are always stored.
    void setGraphicAttributes(const double* transform, const double* extents, const double* clip,
                              bool show = true, std::int32_t zOrder = 0,
                              std::int32_t effectiveResolution = 0,
                              teOrientation orientation = eNotSpecified);

    void parseAttributeList(const char** attributes) override;
    // A "GraphicResource" element in descriptor form, else a plain resource.
    void serializeXML(DWFXMLSerializer& serializer, unsigned int flags) override;

private:
    bool _show = true;
    std::int32_t _zOrder = 0;
    double _clip[4] = {0, 0, 0, 0};
    double _extents[4] = {0, 0, 0, 0};
    double _transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::int32_t _effectiveResolution = 0;
    DWFCore::DWFString _author;
    DWFCore::DWFString _description;
    DWFCore::DWFString _creationTime;
    DWFCore::DWFString _modificationTime;
    teOrientation _orientation = eNotSpecified;
};

} // namespace DWFToolkit

#endif
