#pragma once
// Publishes a host drawing as a DWF package: one ePlot section per sheet
// (or one for the active sheet), each with its paper, properties, W2D
// graphics, JPEG thumbnail and object definition, written by the package
// writer to a new file that replaces the target only once it is complete.
//
// The sheets' W2D streams and thumbnails live in temporary files of this
// run alone; the sheet writers and the graphic resources stay alive until
// the package is written and are freed afterwards.
#include "addin/publishers/DocumentPublisher.h"
#include "addin/publishers/W2DOutput.h"

#include <array>
#include <memory>
#include <vector>

class CDWFxDrawingWriter;

namespace DWFToolkit
{
class DWFEPlotSection;
class DWFGraphicResource;
} // namespace DWFToolkit

class CDrawingDocumentPublisher : public CDocumentPublisher
{
public:
    CDrawingDocumentPublisher(host::Document* document, std::u16string targetPath,
                              const PublishOptions* options);
    // Removes the temporary files before the base opens the package.
    ~CDrawingDocumentPublisher() override;

    // The host application handed to every sheet writer (borrowed); null is
    // ignored. Answers 0.
    int AssignHostPointer(host::Application* application);

    // Failures are reported with this method's message box; the package is
    // then not written and the publisher not marked published. A sheet
    // whose writing reported a failure of its own still goes into the
    // package, but the publication does not count as a success. Answers 0.
    int PublishDoc() override;

    // The document's summary entries 0-7 and two fixed source properties.
    void AddDocumentProperties(DWFToolkit::DWFEPlotSection& section);
    // Writes the sheet's graphics and makes them the resource's bytes.
    void AddW2DResource(DWFToolkit::DWFEPlotSection* section,
                        DWFToolkit::DWFGraphicResource* resource, int plotOrder);
    // The host's picture of the active sheet as the section's thumbnail;
    // a picture that cannot be read leaves the sheet without one.
    void AddThumbnail(DWFToolkit::DWFEPlotSection* section,
                      DWFToolkit::DWFGraphicResource* resource, int plotOrder);
    // The graphic transform of the current paper; sets the sheet scale.
    // A paper that is not positive and finite throws.
    void ComputeGraphicTransform(std::array<double, 16>& transform);
    // Removes this run's sheet files and thumbnails. Never throws.
    void DeleteW2DFile() noexcept;

    void SetPaper(double widthMm, double heightMm)
    {
        paperWidth_ = widthMm;
        paperHeight_ = heightMm;
    }
    const w2dout::SheetContext& SheetContext() const { return sheet_; }
    // The sheet writers still alive (until the package is written).
    std::size_t SheetWriterCount() const { return writers_.size(); }

private:
    void PublishSheets();

    double paperWidth_ = 0.0;
    double paperHeight_ = 0.0;
    host::Application* application_ = nullptr;
    w2dout::SheetContext sheet_;
    // How the progress dialog names the sheet being written.
    std::u16string progressSubject_;
    std::vector<std::unique_ptr<DWFToolkit::DWFGraphicResource>> graphics_;
    std::vector<std::unique_ptr<CDWFxDrawingWriter>> writers_;
};
