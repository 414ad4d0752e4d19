#pragma once
// The geometry writer of parts and assemblies. The part and assembly writers
// make one for each segment they fill; it asks the host for bodies, faces,
// edges, sketches, threads and document properties and writes what the host
// gives as W3D records through the handler getters of that segment. It
// tessellates nothing itself.
//
// Each body becomes an unnamed child segment of the writer's segment and each
// face of the body a child of the body segment holding one shell, with the
// face's colour or texture in front of it. Each edge becomes a segment of its
// own holding one line, circular arc, elliptical arc or NURBS curve.
//
// Host data is checked before use: every count, stride and size the host
// gives is compared with the data it comes with, and a face or an edge whose
// data does not fit is skipped with its method's message box while the walk
// goes on. A host request that fails is reported with the message box of the
// method or step that made it (the texts are the add-in's own, one per
// method or step) and, unless a step is guarded on its own, ends that walk.
//
// Every segment the writer opens is closed before the function that opened
// it returns, also when that function gives up half way.
#include "addin/publishers/TextureImageNames.h"
#include "dwf/publisher/model/Segment.h"
#include "host/Forward.h"
#include "platform/com/Result.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class CDWF3DPublisher;
struct PublishOptions;

namespace DWFToolkit
{
class DWFPackagePublisher;
class DWFPropertyContainer;
} // namespace DWFToolkit

// One record per written component of an assembly walk, kept in walk order;
// the parent is an index into the same list (-1 for the root component).
struct ComponentEntry
{
    bool textured = false;
    double angle = 0.0; // radians
    double scale = 1.0;
    int parent = -1;
};

class CDWF3DGrWriter
{
public:
    // The most triangles one face may bring. The shell of a face carries a
    // face list of four entries per triangle, and a W3D reader takes at most
    // 2^24 of them; a face beyond it is skipped rather than written into a
    // stream nobody could read back.
    static constexpr int kMaxFaceTriangles = 1 << 22;

    // The texture parameters, by index: angles in radians, scales multiply
    // the texture coordinates.
    enum TextureParameter : int
    {
        kFaceAngle = 0,
        kFaceScale = 1,
        kBodyAngle = 2,
        kBodyScale = 3,
        kFeatureAngle = 4,
        kFeatureScale = 5, // 0.0: no feature texture
        kMaterialAngle = 6,
        kMaterialScale = 7, // 0.0: no material texture
        kModelSize = 8,     // the diagonal of the part's or component's box
        kTextureParameterCount = 9
    };

    // Both are borrowed: the document and the open segment outlive the writer.
    CDWF3DGrWriter(host::Document* document, DWFToolkit::DWFSegment* segment);
    virtual ~CDWF3DGrWriter();
    CDWF3DGrWriter(const CDWF3DGrWriter&) = delete;
    CDWF3DGrWriter& operator=(const CDWF3DGrWriter&) = delete;

    // ---- the writer's state (DWF3DGrWriter.cpp)
    // E_FAIL for a null publisher; otherwise it is kept and S_OK.
    platform::HRESULT SetModelDoc(CDWF3DPublisher* publisher);
    CDWF3DPublisher* GetModelDoc() const { return publisher_; }
    // E_FAIL for a null publisher; otherwise keeps it, writes the bodies of
    // the document and answers S_OK.
    platform::HRESULT GenerateGraphics(CDWF3DPublisher* publisher);
    // The model size (texture parameter 8).
    void SetMaterialValue(double value) { parameters_[kModelSize] = value; }
    // The material texture's scale (texture parameter 7).
    void GetMaterialValue(double& value) const { value = parameters_[kMaterialScale]; }
    // Nonzero while a component of an assembly is written.
    void SetComponentMode(int mode) { componentMode_ = mode; }
    // Bodies written before this writer's first, by other writers of the
    // same component: the numbers face messages give its bodies follow on.
    void SetBodiesWritten(int count) { bodyNumber_ = count; }
    int GetComponentMode() const { return componentMode_; }
    // The texture images already in the model and their names. The writers
    // of one walk share the walk's record (which outlives them), so that each
    // image goes in once however many components use it; a writer left alone
    // keeps a record of its own.
    void ShareTextureNames(TextureImageNames& names) { textureNames_ = &names; }
    // In an assembly, the model document of the component whose bodies the
    // writer writes: a face, body or feature that the assembly's
    // configurations give no texture is drawn with its texture in this
    // document's configurations (they are named apart from the
    // assembly's). Null (the default) for a part published alone.
    void SetOwnDocument(host::Document* document) { ownDocument_ = document; }
    // The components of the walk so far; only the last one and its ancestors
    // count (see LastComponentPath).
    void SetComponentList(const std::vector<ComponentEntry>& list) { components_ = list; }
    const std::vector<ComponentEntry>& GetComponentList() const { return components_; }
    double GetTextureParameter(int index) const;
    void SetTextureParameter(int index, double value);
    bool IsFaceTextured() const { return faceTextured_; }
    bool IsBodyTextured() const { return bodyTextured_; }
    int GetTextureKind() const { return textureKind_; }

    // ---- bodies and faces (DWF3DGrWriter.cpp)
    // The bodies of a part document; a caught failure is reported. S_OK.
    platform::HRESULT GenerateBodyGraphics(host::Document* document);
    // Every body of a part document: its shell segments, then its edges.
    platform::HRESULT GenerateBodyWires(host::Document* document);
    // One body: a body segment with one face segment per face. With
    // `noColour` neither the body nor its faces get a colour record
    // (textures are still written).
    void GenerateShellOfBody(host::Body* body, bool noColour);
    // Whether the feature that made the face is suppressed (false when the
    // face has no feature). E_FAIL after a reported failure.
    platform::HRESULT IsFeatureSuppress(host::Face* face, bool& suppressed);
    // The Euclidean distance of two points of three doubles.
    static double Distance3D(const double* a, const double* b);

    // ---- face shells (FaceShells.cpp)
    // A face's tessellation into a shell record inside `segment`. A face
    // whose triangle count cannot be read, whose normals or triangles cannot
    // be read, that has no normals, more than kMaxFaceTriangles triangles,
    // or arrays that do not hold what the count says writes no shell, and
    // the message names the face and the reason; texture coordinates that
    // cannot be read leave them all 0.
    platform::HRESULT GenerateShellSegment(DWFToolkit::DWFSegment& segment, host::Face* face);
    // One shell record (a face-pattern record in front of it); nothing for a
    // null array it needs or a count that is not positive. Parameters are
    // needed, and written, only when `textured`.
    platform::HRESULT GenerateShellSegment(DWFToolkit::DWFSegment& segment, int vertexCount,
                                           const float* points, const float* normals,
                                           int faceListLength, const int* faceList,
                                           const float* parameters, bool textured);

    // A face's triangles as the host gives them: three vertices of their own
    // per triangle.
    struct TriangleSoup
    {
        int triangleCount = 0;
        int vertexCount = 0;
        std::vector<float> points;  // 3 per vertex
        std::vector<float> normals; // 3 per vertex
        std::vector<int> indices;   // 3 per triangle
        std::vector<float> uv;      // 2 per vertex
    };
    // The arrays of one shell record.
    struct ShellArrays
    {
        int vertexCount = 0;
        std::vector<float> points;
        std::vector<float> normals;
        int faceListLength = 0;
        std::vector<int> faceList;
        std::vector<float> parameters; // u, v, 0 per vertex
    };
    // Face list 3, i, j, k per triangle; points and normals taken over;
    // parameters from the texture values when there are any, values below
    // 1e-6 in magnitude becoming exactly 0.
    static void BuildFaceList(TriangleSoup input, ShellArrays& output);
    // Vertices equal in every value (point, normal and parameters, bit for
    // bit) become one, in the order of their first use, and the face list
    // follows. The shell record merges them anyway; done here, a large face
    // reaches the record at a sixth of its size.
    static void MergeIdenticalVertices(ShellArrays& shell);

    // ---- colours and texture coordinates (Appearance.cpp)
    // The colour record of a face, body, component or document from its
    // nine material values; false when there is none (or after a reported
    // failure).
    bool GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Face* face);
    bool GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Body* body);
    bool GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Component* component);
    bool GenerateFaceColor(DWFToolkit::DWFSegment& segment, host::Document* document);
    // The nine values as floats into SetMaterialColor; false for null.
    bool ApplyMaterialValues(DWFToolkit::DWFSegment& segment, const double* values);
    // Writes the colour record of nine material values. S_OK.
    platform::HRESULT SetMaterialColor(DWFToolkit::DWFSegment& segment, const float* values);
    // Turns and scales `count` floats of (u, v) pairs by the texture in
    // force (face, feature, body, component, material, in that order);
    // `found` (when given) tells whether a textured component gave them.
    void ComputeTextureCoordinates(float* out, int count, const float* in, bool* found) const;
    // The nearest textured entry from the last one toward the root; false
    // when the last entry is the root or none is textured.
    static bool FindLastComponent(const std::vector<ComponentEntry>& list, int& index);
    // The entries of `list` that FindLastComponent looks at: the last one and
    // its ancestors, root first, each the parent of the next. It answers the
    // same for them as for the whole list, which a writer per body of a large
    // assembly would otherwise copy.
    static std::vector<ComponentEntry> LastComponentPath(const std::vector<ComponentEntry>& list);

    // ---- textures (Textures.cpp)
    // The host's data folder: its settings file named in the registry, with
    // that file's name and folder cut off; empty when there is none.
    static std::u16string GetToolboxFolder();
    // The file of a host texture name: "<SystemTexture>\\..." resolved below
    // the data folder, then, unless it is a JPEG or PNG file (named ".jpg"
    // or ".png" and holding one of the two), converted to JPEG into the
    // publish's private folder. A JPEG or PNG is read whole first. Sets the
    // texture kind by the file's content; `path` is empty when there is no
    // usable file (it cannot be read or converted, or there is no publisher
    // to read it for).
    void GetTexturePath(const std::u16string& name, std::u16string& path);
    // Writes the texture of the file at `path` into `segment`: its image
    // into the model once per publish, however the path is spelt, under a
    // name of its own (the texture names say which files' images are there
    // and what they are called), then the texture definition and the
    // colour record naming it. 0 when written; 1 when there was nothing to
    // write (no path, no publisher, an image whose size cannot be read), and
    // the face then counts as not textured.
    int AddTexture(DWFToolkit::DWFSegment& segment, const std::u16string& path);
    // The name under which the image of `path` goes into the model when no
    // other file of the publish has taken it: its ASCII letters and digits,
    // the last 119 of them (TextureImageNames.h).
    static std::u16string TextureImageName(const std::u16string& path);
    platform::HRESULT GenerateBodyTexture(DWFToolkit::DWFSegment& segment, host::Body* body);
    platform::HRESULT GenerateFaceTexture(DWFToolkit::DWFSegment& segment, host::Face* face);
    platform::HRESULT GenerateFeatureTexture(DWFToolkit::DWFSegment& segment, host::Face* face);
    // A component's own texture: in the top assembly's configurations, or,
    // where they give none, in those of `holder`, the model document of
    // the subassembly that holds the component (null for a component of
    // the top assembly).
    platform::HRESULT GenerateComponentTexture(DWFToolkit::DWFSegment& segment,
                                               host::Component* component, ComponentEntry& entry,
                                               host::Document* holder = nullptr);
    // The texture of the document's material from the host's material
    // library. An id that names no number, or a number the library (once
    // read) does not hold, is reported with its reason once per publish, and
    // the material goes without its texture.
    platform::HRESULT LoadMaterialDatabase(DWFToolkit::DWFSegment& segment,
                                           host::Document* document);

    // ---- edges and curves (EdgesAndCurves.cpp)
    // One edge segment per edge of the body. S_OK.
    platform::HRESULT GenerateEdgeFromBody(host::Body* body);
    // The current edge's start and end point as a line. S_OK.
    platform::HRESULT WriteLine();
    // A circular arc through three points (x, y, z each). S_OK.
    platform::HRESULT WriteArc(const double* start, const double* middle, const double* end);
    // A circular edge: a whole circle as two half arcs, an arc through its
    // middle otherwise. Its failures are reported as
    // CDWF3DGrWriter::GenerateFaceColor, the name this step always had.
    platform::HRESULT WriteCircularEdge(host::Curve* curve);
    // A whole circle (or half of one) from circle parameters (centre, axis,
    // radius) and a start point; nothing when the start lies on the axis.
    platform::HRESULT WriteCircleArcs(const double* circle, const double* start);
    platform::HRESULT GenerateEllipseWire(host::Curve* curve);
    platform::HRESULT GenerateBcurveWire(host::Curve* curve);
    // out := a x b, s v and a + b; nothing when an input is null.
    static void CrossProduct(const double* a, const double* b, double* out);
    static void ScaleVector(double s, const double* v, double* out);
    static void AddVectors(const double* a, const double* b, double* out);
    // The current edge's eleven values: start, end, start and end parameter,
    // three more.
    const std::array<double, 11>& GetEdgeParameters() const { return edge_; }
    void SetEdgeParameters(const std::array<double, 11>& values) { edge_ = values; }

    // ---- threads, sketches and component transforms (ThreadsAndSketches.cpp)
    // The cosmetic threads of the document as black circles of line pattern
    // 2; `component` is null for a part. A thread that cannot be drawn (its
    // selections refused, its edge not a circle) is left out with a message
    // naming it and why, and the walk goes on.
    platform::HRESULT GenerateThread(host::Component* component);
    // A circle of diameter `diameter` in the plane of the circle given by
    // its parameters, through the point moved onto it; nothing, and E_FAIL,
    // when the circle or the point gives no plane.
    platform::HRESULT WriteThreadCircle(const double* circle, const double* point, double diameter);
    // The 3D sketches of the document as lines and arcs. An arc with the
    // axis of its plane turns about it from start to end (clockwise for
    // direction -1); one without is the shorter way round. A whole or half
    // circle without an axis, and an arc ending at its centre or on its
    // axis, is left out with a message.
    platform::HRESULT Generate3Dsketch(host::Document* document, DWFToolkit::DWFSegment segment);
    // The line pattern of a sketch line's style code: 1 for 6, 0 for 0-5, 7
    // and 8, no record for any other.
    void GetSketchLinePattern(double style, DWFToolkit::DWFSegment segment);
    // The component's placement as a 4 x 4 matrix, row by row: the images
    // of the three axes times the host's scale, then the translation. The
    // matrix is the identity unless the host gave the whole placement; a
    // failure (E_FAIL) tells the caller to write no matrix.
    platform::HRESULT GetComponentTransform(host::Component* component, float matrix[16]);

    // ---- document properties (DocumentProperties.cpp)
    // The summary, material, configuration and mass properties the options
    // ask for, in one property container attached to `segment`. When the
    // last group failed nothing is attached and its result is answered.
    platform::HRESULT ProcessDocumentProps(host::Document* document,
                                           DWFToolkit::DWFPackagePublisher* packagePublisher,
                                           DWFToolkit::DWFSegment& segment,
                                           const PublishOptions* options);
    platform::HRESULT GetSummaryPropsFromDoc(host::Document* document,
                                             DWFToolkit::DWFPropertyContainer& container);
    platform::HRESULT GetMaterialPropsFromDoc(host::Document* document,
                                              DWFToolkit::DWFPropertyContainer& container);
    platform::HRESULT GetGeneralPropsFromDoc(host::Document* document,
                                             DWFToolkit::DWFPropertyContainer& container);
    // Adds a copy of the property (type and units empty). S_OK.
    static platform::HRESULT AddDWFProperty(const std::u16string& name, const std::u16string& value,
                                            const std::u16string& category,
                                            DWFToolkit::DWFPropertyContainer& container);

private:
    enum class ShellArray
    {
        kPoints,
        kNormals,
        kFaces,
        kParameters
    };
    // The shell record of the arrays; `copied` (when given) is told of each
    // array as soon as the record holds its own copy of it, so that the
    // caller may let its own go.
    platform::HRESULT WriteShellRecord(DWFToolkit::DWFSegment& segment, int vertexCount,
                                       const float* points, const float* normals,
                                       int faceListLength, const int* faceList,
                                       const float* parameters, bool textured,
                                       const std::function<void(ShellArray)>& copied);

    // "Face 2 of body 1": the face being written, counted in the host's
    // order among the faces of the body, and the body among those written
    // (by this writer, after those SetBodiesWritten counts); "A face"
    // outside the walk over a body's faces.
    std::u16string FaceLabel() const;
    // "Edge 3 of body 1" likewise, for the edge being written.
    std::u16string EdgeLabel() const;
    // Says that the current edge is left out and why, as a failure of the
    // step `where`; its edge segment stays empty.
    void LeaveOutEdge(const char* where, const std::u16string& why) const;
    // Says that the material `id` is not in the library and why, the first
    // time in the publish (every time without a publisher).
    void ReportMissingMaterial(const std::u16string& id, const std::u16string& why);

    host::Document* document_;
    CDWF3DPublisher* publisher_ = nullptr;
    int bodyNumber_ = 0;
    int faceNumber_ = 0;
    int edgeNumber_ = 0;
    DWFToolkit::DWFSegment* segment_;
    std::array<double, 11> edge_{};
    host::Document* ownDocument_ = nullptr;
    TextureImageNames ownTextureNames_;
    TextureImageNames* textureNames_ = &ownTextureNames_;
    bool faceTextured_ = false;
    int textureKind_ = 0;
    bool bodyTextured_ = false;
    std::array<double, kTextureParameterCount> parameters_{};
    std::vector<ComponentEntry> components_;
    int componentMode_ = 0;
};
