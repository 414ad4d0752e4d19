#ifndef DWFPUBLISHER_EMBEDDEDFONTVISITOR_H
#define DWFPUBLISHER_EMBEDDEDFONTVISITOR_H

namespace DWFToolkit
{

class DWFEmbeddedFont;

// Sees every embedded font of a section during a publish; the base passes the
// visit on to the chained visitor, when there is one.
class DWFEmbeddedFontVisitor
{
public:
    // `chained` is not owned.
    explicit DWFEmbeddedFontVisitor(DWFEmbeddedFontVisitor* chained = nullptr) : _chained(chained)
    {
    }
    virtual ~DWFEmbeddedFontVisitor();

    virtual void visitEmbeddedFont(DWFEmbeddedFont& font);

    DWFEmbeddedFontVisitor* chainedVisitor() const noexcept { return _chained; }
    void setChainedVisitor(DWFEmbeddedFontVisitor* chained) noexcept { _chained = chained; }

private:
    DWFEmbeddedFontVisitor* _chained;
};

} // namespace DWFToolkit

#endif
