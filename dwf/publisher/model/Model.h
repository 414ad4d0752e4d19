#ifndef DWFPUBLISHER_MODEL_MODEL_H
#define DWFPUBLISHER_MODEL_MODEL_H

#include "dwf/package/ToolkitMemory.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "dwf/publisher/EmbeddedFont.h"
#include "dwf/publisher/Publishable.h"
#include "dwf/publisher/PublishedObject.h"
#include "dwf/publisher/model/AttributeHandlerBuilder.h"
#include "dwf/publisher/model/FeatureHandlerBuilder.h"
#include "dwf/publisher/model/GeometryHandlerBuilder.h"
#include "dwf/publisher/model/IncludeSegment.h"
#include "dwf/publisher/model/Segment.h"
#include "dwf/publisher/model/SegmentHandlerBuilder.h"
#include "dwf/w3dtk/stream/toolkit.h"
#include "dwfcore/Iterator.h"
#include "dwfcore/OutputStream.h"
#include "dwfcore/SkipList.h"
#include "dwfcore/String.h"
#include "dwfcore/TempFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class W3DStreamWriter;

namespace DWFToolkit
{

class DWFTexture;

//
// The 3D model that becomes one eModel section of a package. It owns what the
// section will hold until a publisher takes it over: the W3D stream (written
// into a temporary file through the model's own toolkit), the published
// objects that its segments make, the images it carries (thumbnail and
// textures), the embedded fonts and the view settings.
//
// It is also the handler builder behind every segment: each getter hands out
// the toolkit's own handler for one opcode with the model's stream writer as
// its observer, so serializing it appends one record to the stream.
//
// Use: open, build the scene through segments (openSegment and
// openIncludeSegment), close (which reports whether the whole stream was
// written), publish. Destroying a model that is still open ends its stream
// first, quietly; the temporary file goes with the model.
//
class DWFModel : public DWFToolkitMemory,
                 public DWFPublishableSection,
                 public DWFPropertyContainer,
                 public DWFPublishedObject::Factory,
                 public DWFSegmentHandlerBuilder,
                 public DWFGeometryHandlerBuilder,
                 public DWFFeatureHandlerBuilder,
                 public DWFAttributeHandlerBuilder
{
public:
    // Walks the model's resources in the order they were added.
    class ResourceIterator : public DWFToolkitMemory,
                             public DWFCore::DWFIterator<DWFPublishableResource*>
    {
    public:
        explicit ResourceIterator(std::vector<DWFPublishableResource*> resources)
            : _resources(std::move(resources))
        {
        }
        void reset() override { _position = 0; }
        bool valid() override { return _position < _resources.size(); }
        bool next() override
        {
            if (!valid())
            {
                return false;
            }
            ++_position;
            return valid();
        }
        // DWFDoesNotExistException "No more elements" when not valid.
        DWFPublishableResource*& get() override;

    private:
        std::vector<DWFPublishableResource*> _resources;
        std::size_t _position = 0;
    };

    // The W3D stream's MIME type.
    static const char16_t* const kMIMEType;

    DWFModel(const DWFCore::DWFString& title, const DWFCore::DWFString& sourceProvider,
             const DWFCore::DWFString& sourceObjectID);
    ~DWFModel() override;

    DWFModel(const DWFModel&) = delete;
    DWFModel& operator=(const DWFModel&) = delete;

    //
    // Starts the W3D stream: header, comment, file information, compression
    // and, with `publishEdges`, the empty published-edges style segment.
    // `transform` (16 doubles) is copied; null gives the identity. Throws
    // "Model already open" when open; when anything else fails the model is
    // not open and keeps no stream.
    //
    void open(int polygonHandedness = 2, int units = 0, const double* transform = nullptr,
              bool useDefaultLighting = true, bool publishEdges = false,
              bool useSilhouetteEdges = true);

    //
    // Ends the stream (compression end, terminator) and hands every byte to
    // the temporary file. The model is closed afterwards in every case; when
    // any write of the stream failed, at any time, close throws and the
    // temporary file is removed, since the stream in it is not whole.
    //
    void close();

    bool isOpen() const noexcept { return _open; }

    //
    // Removes the temporary file of the W3D stream now (ending the stream
    // first, quietly, while the model is open): once the package is written,
    // or will never be, nothing reads it again. False when that file, or the
    // one that a failed close or open discarded, stays in the temporary
    // folder: `path` then names it and `error` is the system's reason.
    //
    bool removeStreamFile(std::string& path, int& error) noexcept;

    // A new segment (not open yet) on this model's builders, at the top level.
    DWFSegment openSegment();
    // A new segment of the include library (not open yet).
    DWFIncludeSegment openIncludeSegment();

    // ---- publishable
    const DWFCore::DWFString& getMIMEType() override { return _mimeType; }
    //
    // A new stream over the finished W3D file, owned by the caller. Before the
    // first open, or after a failed close: DWFIOException; while the model is
    // open (the stream is not finished): DWFUnexpectedException.
    //
    DWFCore::DWFInputStream* getInputStream() override;
    void publish(DWFPublisher& publisher) override;
    // Takes ownership of `font` (null is refused).
    void embedFont(DWFEmbeddedFont* font) override;
    //
    // Takes ownership of `resource` (null is refused), also when the call then
    // fails. A texture's image record is written into the stream where it
    // stands, while the model is open.
    //
    void addResource(DWFPublishableResource* resource) override;
    // A new iterator, owned by the caller; null when it cannot be allocated.
    DWFCore::DWFIterator<DWFPublishableResource*>* getResources() override;

    // ---- published objects
    DWFPublishedObject* makePublishedObject(DWFPublishedObject::tKey key,
                                            const DWFCore::DWFString& name) override;
    DWFPublishedObject* findPublishedObject(DWFPublishedObject::tKey key) override;

    // ---- what the package publisher reads
    const DWFCore::DWFString& getTitle() const noexcept { return _title; }
    const DWFCore::DWFString& getSourceProvider() const noexcept { return _sourceProvider; }
    const DWFCore::DWFString& getSourceObjectID() const noexcept { return _sourceObjectID; }
    int getUnits() const noexcept { return _units; }
    int getPolygonHandedness() const noexcept { return _polygonHandedness; }
    bool useSilhouetteEdges() const noexcept { return _useSilhouetteEdges; }
    // True when opened with default lighting or when no light was ever asked for.
    bool useDefaultLighting() const noexcept { return _useDefaultLighting || !_lightsUsed; }
    // Copies the 16 transform values into `transform`; nothing for null.
    void getTransform(double* transform) const noexcept;
    // Empties `extents` and appends the model's extents.
    void getExtents(std::vector<double>& extents) const;
    // Nothing sets an edge colour or camera on a model: always null.
    const double* getEdgeColor() const noexcept { return nullptr; }
    const double* getCamera() const noexcept { return nullptr; }

    // ---- segment handlers
    TK_Close_Segment& getCloseSegmentHandler() override;
    TK_Open_Segment& getOpenSegmentHandler() override;
    TK_Referenced_Segment& getIncludeSegmentHandler() override;
    TK_Referenced_Segment& getStyleSegmentHandler() override;

    // ---- geometry handlers; the four light getters end default lighting
    TK_Area_Light& getAreaLightHandler() override;
    TK_Circle& getCircleHandler() override;
    TK_Circle& getCircularArcHandler() override;
    TK_Circle& getCircularChordHandler() override;
    TK_Circle& getCircularWedgeHandler() override;
    TK_Cutting_Plane& getCuttingPlaneHandler() override;
    TK_Point& getDistantLightHandler() override;
    TK_Ellipse& getEllipseHandler() override;
    TK_Ellipse& getEllipticalArcHandler() override;
    TK_Image& getImageHandler() override;
    TK_Line& getLineHandler() override;
    TK_Point& getLocalLightHandler() override;
    TK_NURBS_Curve& getNURBSCurveHandler() override;
    TK_NURBS_Surface& getNURBSSurfaceHandler() override;
    TK_PolyCylinder& getPolyCylinderHandler() override;
    TK_Polypoint& getPolygonHandler() override;
    TK_Polypoint& getPolylineHandler() override;
    //
    // Prepares the shell's compression from the model's write options, adds
    // triangle strips when asked, and has coincident vertices merged (with
    // zero tolerances) unless `disableOptimization`.
    //
    TK_Shell& getShellHandler(bool triangleStrips, bool disableOptimization) override;
    TK_Spot_Light& getSpotLightHandler() override;
    TK_Text& getTextHandler() override;
    TK_Text& getTextWithEncodingHandler() override;

    // ---- feature handlers
    TK_Texture& getTextureHandler() override;
    TK_Matrix& getTextureMatrixHandler() override;

    // ---- attribute handlers
    TK_Color& getColorHandler() override;
    TK_Color_Map& getColorMapHandler() override;
    TK_Color_RGB& getColorRGBHandler() override;
    TK_Linear_Pattern& getEdgePatternHandler() override;
    TK_Size& getEdgeWeightHandler() override;
    TK_Enumerated& getFacePatternHandler() override;
    TK_Enumerated& getHandednessHandler() override;
    TK_Heuristics& getHeuristicsHandler() override;
    TK_Linear_Pattern& getLinePatternHandler() override;
    TK_Size& getLineWeightHandler() override;
    TK_Size& getMarkerSizeHandler() override;
    TK_Enumerated& getMarkerSymbolHandler() override;
    TK_Matrix& getModellingMatrixHandler() override;
    TK_Rendering_Options& getRenderingOptionsHandler() override;
    TK_Selectability& getSelectabilityHandler() override;
    TK_Enumerated& getTextAlignmentHandler() override;
    TK_Text_Font& getTextFontHandler() override;
    TK_Point& getTextPathHandler() override;
    TK_Size& getTextSpacingHandler() override;
    TK_User_Options& getUserOptionsHandler() override;
    TK_Unicode_Options& getUnicodeOptionsHandler() override;
    TK_Visibility& getVisibilityHandler() override;
    TK_Camera& getCameraHandler() override;
    TK_Camera& getViewHandler() override;

protected:
    //
    // The stream the W3D bytes go to, given the temporary file's own. The
    // model itself writes to the file; a subclass may put a stream of its own
    // in between (tests put one that fails); it must stay usable while the
    // model is open.
    //
    virtual DWFCore::DWFOutputStream& _streamTarget(DWFCore::DWFOutputStream& file);

private:
    class _GuardedOutput;

    // The toolkit's handler for `opcode` as `Handler`, wired to the writer.
    template <class Handler> Handler& _handler(int opcode, const char* function);
    // For getters whose handler the toolkit does not provide.
    [[noreturn]] void _unavailable(const char* function);
    void _requireOpen(const char* function) const;
    // Serializes a handler made for one call (header, comment, file info, image).
    void _serializeOwn(BBaseOpcodeHandler& handler);
    void _writeImageRecord(const DWFTexture& texture);
    // Ends the stream; the caller decides what to do with a failure.
    void _endStream();
    // Forgets the writer and removes the temporary file; a file that stays
    // is remembered for removeStreamFile to tell.
    void _discardStream() noexcept;

    bool _open = false;
    bool _compress = true;
    bool _useDefaultLighting = true;
    bool _lightsUsed = false;
    bool _useSilhouetteEdges = true;
    int _units = 0;
    double _transform[16];
    int _polygonHandedness = 2;
    DWFCore::DWFString _mimeType;
    DWFCore::DWFString _title;
    DWFCore::DWFString _sourceProvider;
    DWFCore::DWFString _sourceObjectID;
    std::unique_ptr<DWFCore::DWFTempFile> _tempFile;
    // A temporary file that stayed when its removal failed: its name and
    // why (an errno value).
    struct _LeftFile
    {
        std::string path;
        int error = 0;
    };
    std::optional<_LeftFile> _leftStream;
    BStreamFileToolkit _toolkit;
    std::unique_ptr<_GuardedOutput> _output;
    std::unique_ptr<W3DStreamWriter> _writer;
    std::vector<double> _extents;
    std::vector<std::unique_ptr<DWFEmbeddedFont>> _fonts;
    std::vector<std::unique_ptr<DWFPublishableResource>> _resources;
    DWFCore::DWFSkipList<DWFPublishedObject::tKey, DWFPublishedObject*> _objects;
    // Objects displaced from the map by a second object with the same key:
    // segments may still point at them, so they live as long as the model.
    std::vector<std::unique_ptr<DWFPublishedObject>> _displaced;
};

} // namespace DWFToolkit

#endif
