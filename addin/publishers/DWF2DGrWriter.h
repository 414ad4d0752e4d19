#pragma once
// Turns the content of one drawing sheet of the host into W2D drawables,
// written at once into the sheet's open W2D file. One writer serves one walk
// of a view (or of the sheet format); the walks themselves are the free
// operations ProcessSheetFormatFromDrawingDoc and ProcessViewFromDrawingDoc.
//
// Host data arrives as flat arrays of doubles. Every count and record is
// checked against its array before use: the first record that does not fit
// ends its operation with that operation's message box, after the records
// before it were written. A W2D failure ends the operation and is handed
// back, so that the sheet is not passed off as complete. Geometry reaching
// beyond the range of the sheet's 32-bit coordinates is cut along its own
// lines, or, where it cannot be (arcs, texts, symbols), left out with a
// message that names it (see StreamRange.h and W2DOutput.h).
#include "addin/publishers/SymbolDrawer.h"
#include "addin/publishers/TextMeasure.h"
#include "addin/publishers/W2DOutput.h"
#include "host/Forward.h"

#include <cstdint>
#include <memory>
#include <vector>

class WT_File;

class CDWF2DGrWriter
{
public:
    CDWF2DGrWriter(const w2dout::SheetContext& sheet, host::Application* application);
    ~CDWF2DGrWriter();
    CDWF2DGrWriter(const CDWF2DGrWriter&) = delete;
    CDWF2DGrWriter& operator=(const CDWF2DGrWriter&) = delete;

    // While set, sketch points are turned by the view's rotation.
    void SetView(host::View* view) { view_ = view; }
    host::View* GetView() const { return view_; }
    // The rotation of the block instance being written (radians); sketch
    // points are turned by it after the view's rotation.
    void SetRotation(double radians) { rotation_ = radians; }
    double GetRotation() const { return rotation_; }
    void SetLinesOnly(bool on) { linesOnly_ = on; }
    bool GetLinesOnly() const { return linesOnly_; }
    // Marks the writer as walking a detail view when the view's type is 3.
    void SetDetailView(host::View* view);
    bool IsDetailView() const { return detailView_; }

    const w2dout::SheetContext& Sheet() const { return sheet_; }
    host::Application* Application() const { return application_; }
    // The drawer of the symbol codes found in annotation text, made on first
    // use.
    CSymbolDrawer& SymbolDrawer();

    // ---- sketch and view geometry
    // The view's sketch: its hatches, then its lines, arcs, ellipses and
    // parabolas.
    WT_Result ProcessDrawingSketch(WT_File& file, host::View* view,
                                   const w2dout::ViewTransform& transform,
                                   std::int32_t defaultColour, host::Application* application);
    // Lines, arcs, ellipses and parabolas of a sketch, each kind only when
    // its count is positive.
    WT_Result ProcessDrawingDocSketch(WT_File& file, host::Sketch* sketch,
                                      const w2dout::ViewTransform& transform,
                                      std::int32_t defaultColour, host::LayerSource* layers);
    WT_Result GenerateSheetLine(host::Sketch* sketch, WT_File& file,
                                const w2dout::ViewTransform& transform, int count,
                                std::int32_t defaultColour, host::LayerSource* layers);
    WT_Result GenerateSketchArc(host::Sketch* sketch, WT_File& file,
                                const w2dout::ViewTransform& transform, int count,
                                std::int32_t defaultColour, host::LayerSource* layers);
    WT_Result GenerateSketchEllipse(host::Sketch* sketch, WT_File& file,
                                    const w2dout::ViewTransform& transform, int count,
                                    std::int32_t defaultColour, host::LayerSource* layers);
    WT_Result GenerateSketchParabola(host::Sketch* sketch, WT_File& file,
                                     const w2dout::ViewTransform& transform, int count,
                                     std::int32_t defaultColour, host::LayerSource* layers);
    WT_Result GenerateSpline(WT_File& file, host::View* view,
                             const w2dout::ViewTransform& transform, std::int32_t defaultColour,
                             host::LayerSource* layers);
    // Hatch lines of the view's sketch; colour -1 takes the default colour,
    // and no layer is tested.
    WT_Result GenerateCrossHatchLine(WT_File& file, host::View* view,
                                     const w2dout::ViewTransform& transform,
                                     std::int32_t defaultColour);
    // The view's polylines, in sheet coordinates.
    WT_Result GeneratePolylineFromCurve(WT_File& file, host::View* view);
    // The view's model edges in the edge colour.
    WT_Result ProcessDrawingView(WT_File& file, host::View* view,
                                 const w2dout::ViewTransform& transform, std::int32_t edgeColour);
    // One arc item of the model edges at `index`: circular when it faces
    // the sheet, else elliptical. The item is known to lie inside `data`.
    // `named` names it when it has to be left out.
    WT_Result GenerateArcOrEllipse(std::size_t index, const w2dout::ViewTransform& transform,
                                   const std::vector<double>& data, WT_File& file,
                                   const w2dout::Named& named);
    // A circle seen tilted by `tilt` radians, as an elliptical arc; the
    // geometry is centre, start, end and the circle's axis.
    WT_Result GenerateEllipseArc(const double* geometry, const w2dout::ViewTransform& transform,
                                 WT_File& file, double tilt, const w2dout::Named& named);
    // Turns points (x, y, z each) by the view's rotation, then by the
    // writer's rotation; copies them when neither applies.
    void ProcessViewRotate(const w2dout::HostPoint* in, w2dout::HostPoint* out, std::size_t count);
    // One sketch or hatch line record: its pen in `colour`, then the turned
    // segment, as `named`.
    WT_Result WriteSketchLine(WT_File& file, const double* record, std::int32_t colour,
                              const w2dout::ViewTransform& transform, const w2dout::Named& named);

    // ---- annotations, arrow heads and text (Annotations.cpp)
    // Every annotation of the view: its display data in the annotation's
    // colour and style, weld triangles for weld annotations.
    WT_Result ProcessDisplayData(WT_File& file, host::View* view,
                                 const w2dout::ViewTransform& transform);
    // Texts, lines, arcs and arrow heads of one display data object in the
    // colour and style in force; only lines while lines-only is set.
    WT_Result GenerateDisplayData(WT_File& file, host::DisplayData* data);
    // The display data of an annotation that a centre mark, a block instance
    // or a quadrant item carries, in the annotation's own colour and line
    // style as the view's annotations are drawn, not in whatever the record
    // before it left.
    WT_Result GenerateAnnotation(WT_File& file, host::Annotation* note);
    WT_Result GetLineOfDisplaydata(WT_File& file, host::DisplayData* data);
    WT_Result GetArcOfDisplaydata(WT_File& file, host::DisplayData* data);
    WT_Result GetArrowOfDisplaydata(WT_File& file, host::DisplayData* data);
    WT_Result GetTextOfDisplaydata(WT_File& file, host::DisplayData* data);
    // The view's first weld list in `colour` (outline or filled triangles),
    // and its second list as filled triangles.
    WT_Result GetWeldSymbol(WT_File& file, host::View* view, std::int32_t colour);
    WT_Result GetWeldSymbol(WT_File& file, host::View* view);
    // One arrow head at B pointing from A (whole W2D units, not yet in the
    // stream); a and b are its width and length in W2D units. Coincident
    // points have no direction and draw nothing. Its lines and areas are cut
    // to the range of the sheet's coordinates; a dot beyond it is left out.
    WT_Result DrawArrowHead(WT_File& file, const w2dout::SheetPosition& a,
                            const w2dout::SheetPosition& b, double width, double length,
                            double style);
    // The two base corners of an arrow head, in whole W2D units; false when
    // A and B coincide.
    static bool ComputeArrowHeadPoints(const w2dout::SheetPosition& a,
                                       const w2dout::SheetPosition& b, double width, double length,
                                       w2dout::SheetPosition& c0, w2dout::SheetPosition& c1);
    // Text sizes, in text heights h (S·h W2D units). The font is written
    // 1.3 h tall, and runs are as wide as that font sets them
    // (text_measure). Characters no installed font or glyph answers for are
    // estimated at 0.7 h each: a proportional font averages a little over
    // half its height per character (capitals and digits more, narrow
    // letters and blanks less).
    static constexpr double kFontHeight = 1.3;
    static constexpr double kCharacterAdvance = 0.7;
    // The gap between a symbol drawn in a text and the characters on either
    // side of it.
    static constexpr double kSymbolGap = 1.0;
    // How far a dimension's text is moved left and down from the position
    // the host gives, so that it lies the same on paper at any sheet size.
    static constexpr double kDimensionTextOffset = 1.0;

    // A piece of one text line: a run of characters shown (codes that name
    // no symbol included) or a symbol code, with where it begins and ends
    // along the baseline, in W2D units from the line's start.
    struct TextPiece
    {
        bool symbol = false;
        std::u16string text; // the run, or the code between '<' and '>'
        double start = 0.0;
        double end = 0.0;
    };
    struct TextLine
    {
        std::vector<TextPiece> pieces;
        double width = 0.0; // from the line's start to the end of its last piece
    };
    // A line cut at its symbol codes: runs and symbols alternate, starting
    // and ending with a run (which may be empty).
    static std::vector<TextPiece> SplitSymbolCodes(const std::u16string& text);
    // A text line as a reader collects it: its symbol codes taken out.
    static std::u16string ShownText(const std::u16string& text);
    // Lays a line of text h drawing units tall out along its baseline: runs
    // as `file` writes them (cut where one text of it cannot carry more) and
    // as wide as `font` sets them, symbols by the extent they draw.
    // Characters placed by the estimate are noted once per font and reason.
    TextLine LayOutTextLine(const WT_File& file, const std::u16string& text, double height,
                            const std::u16string& font);
    // The font name of `text` as `file` can carry it: a name longer than
    // that is cut, with a message naming the text, rather than fail the
    // sheet.
    static std::u16string FitFontName(const WT_File& file, const std::u16string& font,
                                      const std::u16string& text);
    // Moves the anchor of a text to where its line number `line` (0 the
    // first) is written: down by `line` line pitches, then by the
    // justification (2 and 3 centre the line's `width` on the anchor, 5 ends
    // it there), both in the text's own frame turned by `angle`. h in
    // drawing units, width in W2D units.
    // Positions are in whole W2D units.
    void AdjustTextPosition(int justification, w2dout::SheetPosition& position, double height,
                            double width, double angle = 0.0, std::size_t line = 0) const;
    // Writes a laid-out line from `position`: each run as a text of its own
    // and each symbol drawn from the symbol file, turned by `angle`.
    WT_Result ParseSymbolText(const TextLine& line, const w2dout::SheetPosition& position,
                              double angle, double height, const std::u16string& font,
                              WT_File& file);
    // A text or symbol whose position (or a text whose height) lies beyond
    // the range of the sheet's coordinates cannot be cut: it is left out
    // with a message that names it.
    WT_Result DrawGtolSymbol(const std::u16string& code, const w2dout::SheetPosition& position,
                             double angle, double height, WT_File& file);
    WT_Result WriteText(WT_File& file, const std::u16string& text,
                        const w2dout::SheetPosition& position, double angle, double height,
                        const std::u16string& font);
    WT_Result GenerateDimension(WT_File& file, host::View* view,
                                const w2dout::ViewTransform& transform);

    // ---- detail circles, break lines, hatches, tables, blocks and leaders
    // (DetailsAndTables.cpp)
    WT_Result GenerateDetailCircle(WT_File& file);
    WT_Result DrawDetailArrow(const double* arrow, WT_File& file);
    WT_Result GenerateDetailCircleOther(WT_File& file);
    WT_Result GenerateBreakLine(WT_File& file);
    WT_Result GenerateSketchHatchs(host::Sketch* sketch, WT_File& file,
                                   const w2dout::ViewTransform& transform);
    WT_Result GenerateSketchHatch(host::SketchHatch* hatch, WT_File& file,
                                  const w2dout::ViewTransform& transform);
    WT_Result HatchFace(host::Face* face, WT_File& file, const w2dout::ViewTransform& transform);
    // The loops of one hatched face as one filled area, its holes open.
    WT_Result WriteHatchArea(const std::vector<std::vector<w2dout::HostPoint>>& loops,
                             const w2dout::ViewTransform& transform, WT_File& file);
    WT_Result GenerateBomTable(WT_File& file, const w2dout::ViewTransform& transform);
    WT_Result GenerateMultiJogLeader(WT_File& file, const w2dout::ViewTransform& transform,
                                     host::View* view);
    WT_Result GenerateCenterMark(WT_File& file, host::View* view,
                                 const w2dout::ViewTransform& transform);
    WT_Result Generate3DCenterLine(WT_File& file, host::View* view,
                                   const w2dout::ViewTransform& transform);
    // Block instances of the view, each with its definition's sketch.
    WT_Result GenerateBlock(WT_File& file, host::View* view);
    WT_Result GenerateBlock(WT_File& file, const w2dout::ViewTransform& instance,
                            host::BlockDefinition* definition, host::View* view);
    // The view's quadrant circles.
    WT_Result GenerateBlock(WT_File& file, const w2dout::ViewTransform& transform,
                            host::View* view);
    // The centre of the circle through three planar points, p1 the middle
    // of the arc; false when the points give none.
    static bool ComputeBoxCenter(const w2dout::HostPoint& p0, const w2dout::HostPoint& p1,
                                 const w2dout::HostPoint& p2, w2dout::HostPoint& centre);
    // ---- end of annotations, details, tables, blocks and leaders

private:
    // The per-record rules of sketch entities: false when the record's
    // layer is hidden.
    bool LayerVisible(host::LayerSource* layers, double layerId) const;
    // The note that a run's characters (some or all) were placed by the
    // estimate, and why.
    static void NoteEstimatedRun(const std::u16string& run, const std::u16string& font,
                                 const text_measure::RunWidth& width);

    const w2dout::SheetContext sheet_;
    host::Application* application_;
    host::View* view_ = nullptr;
    bool detailView_ = false;
    double rotation_ = 0.0;
    bool linesOnly_ = false;
    std::unique_ptr<CSymbolDrawer> symbolDrawer_;
};

// The walks of one sheet. Each returns the first W2D failure (the sheet is
// then incomplete); failures of the host are reported and passed over.

// The sheet format: the sheet view's polylines, the format sketch, the
// sheet view's sketch, splines and hatch lines.
WT_Result ProcessSheetFormatFromDrawingDoc(WT_File& file, host::Sheet* sheet, host::View* view,
                                           host::Application* application,
                                           const w2dout::SheetContext& context);
// One drawing view: sketch, hatch lines, splines, polylines and model edges.
WT_Result ProcessViewFromDrawingDoc(WT_File& file, host::View* view, host::Application* application,
                                    const w2dout::SheetContext& context);
