#pragma once
// Draws one symbol of the host's symbol file into a W2D file: its lines,
// arcs, circles, filled triangles, arc marks and texts, scaled, rotated about
// and moved to an insertion point. It also keeps the horizontal extent of
// what it drew, in the symbol's own scaled frame, so that the text around a
// symbol can be moved past it.
#include "addin/publishers/SymbolReader.h"
#include "addin/publishers/W2DOutput.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class WT_File;

// The symbol file of the host installation: "lang/english/Gtol.sym" below
// the folder two levels above the file named by the host's "ToolboxIniFile"
// setting. Empty when the setting is missing or too short to name a folder.
std::string SymbolFilePath();

class CSymbolDrawer
{
public:
    // Reads the symbol file of the host installation.
    CSymbolDrawer();
    // Reads the given symbol file (empty: no file, nothing is ever drawn).
    explicit CSymbolDrawer(const std::string& symbolFilePath);
    ~CSymbolDrawer();
    CSymbolDrawer(const CSymbolDrawer&) = delete;
    CSymbolDrawer& operator=(const CSymbolDrawer&) = delete;

    void SetLibraryName(const std::u16string& name) { libraryName_ = name; }
    void SetSymbolName(const std::u16string& name) { symbolName_ = name; }
    std::u16string GetLibraryName() const { return libraryName_; }
    std::u16string GetSymbolName() const { return symbolName_; }

    // Looks the symbol up and writes its entities at (x0, y0) in W2D units,
    // turned by `angle` radians and scaled by `scale` (in drawing units per
    // symbol unit) times the sheet scale. Returns the first W2D failure,
    // which ends the symbol; a symbol that is not found draws nothing.
    // Lines and areas are cut to the range of the sheet's coordinates;
    // arcs, circles and texts beyond it are left out with a message.
    WT_Result Draw(WT_File& file, const w2dout::SheetContext& sheet, std::int32_t x0,
                   std::int32_t y0, double angle, double scale);

    // The horizontal extent the symbol would have if drawn at `scale`, in
    // W2D units of its own frame, found by the same walk as Draw but
    // writing nothing; the extent of what was drawn is left as it was.
    struct Extent
    {
        bool empty = true;
        double minimum = 0.0;
        double maximum = 0.0;
    };
    Extent Measure(const w2dout::SheetContext& sheet, double scale);

    // The horizontal extent of what was drawn since the last reset, in W2D
    // units of the symbol's own frame (scaled, not turned or moved).
    bool ExtentEmpty() const { return extentEmpty_; }
    double ExtentMinimum() const { return extentMinimum_; }
    double ExtentMaximum() const { return extentMaximum_; }
    double ExtentWidth() const { return extentEmpty_ ? 0.0 : extentMaximum_ - extentMinimum_; }
    void ResetExtent();

    const CSymbolReader& Reader() const { return reader_; }

private:
    // Where the entity writers place symbol points.
    struct Placement
    {
        const w2dout::SheetContext* sheet = nullptr;
        std::int32_t x0 = 0;
        std::int32_t y0 = 0;
        double angle = 0.0;
        double scale = 1.0;
        double factor() const { return sheet->scale * scale; }
        // A symbol number in whole W2D units of the symbol's own frame.
        double Scaled(double value) const;
        // A point of that frame on the sheet, in whole W2D units.
        w2dout::SheetPosition Place(double localX, double localY) const;
    };
    using Numbers = std::vector<float>;

    // Looks the symbol up and walks its entities; a null file only extends
    // the extent.
    WT_Result Walk(WT_File* file, const w2dout::SheetContext& sheet, std::int32_t x0,
                   std::int32_t y0, double angle, double scale);
    WT_Result DrawLine(WT_File* file, const Placement& at, const Numbers& numbers);
    WT_Result DrawArc(WT_File* file, const Placement& at, const Numbers& numbers);
    WT_Result DrawCircle(WT_File* file, const Placement& at, const Numbers& numbers);
    WT_Result DrawPolygon(WT_File* file, const Placement& at, const Numbers& numbers);
    WT_Result DrawFilledPolygon(WT_File* file, const Placement& at, const Numbers& numbers);
    WT_Result DrawText(WT_File* file, const Placement& at, const Numbers& numbers);

    void Extend(double a, double b);
    // Reports a symbol that could not be drawn: the symbol file once, when
    // it cannot be used, else the code that it does not hold.
    void ReportMissingSymbol();
    // How the message that leaves one of the symbol's parts out names it:
    // `part` ("An arc") of the symbol's code.
    std::u16string PartName(std::u16string_view part) const;

    CSymbolReader reader_;
    std::u16string libraryName_;
    std::u16string symbolName_;
    bool fileReported_ = false;
    std::set<std::u16string> reportedCodes_;
    bool extentEmpty_ = true;
    double extentMinimum_ = 0.0;
    double extentMaximum_ = 0.0;
};
