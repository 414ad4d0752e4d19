#ifndef DWFPUBLISHER_PROPERTYVISITOR_H
#define DWFPUBLISHER_PROPERTYVISITOR_H

namespace DWFToolkit
{

class DWFProperty;
class DWFPropertyContainer;

//
// Sees properties and property containers during a publish. The base passes
// each visit on to the chained visitor, when there is one; a derived visitor
// does its own work and may call the base to do the same.
//
class DWFPropertyVisitor
{
public:
    // `chained` is not owned.
    explicit DWFPropertyVisitor(DWFPropertyVisitor* chained = nullptr) : _chained(chained) {}
    virtual ~DWFPropertyVisitor();

    virtual void visitProperty(DWFProperty& property);
    virtual void visitPropertyContainer(DWFPropertyContainer& container);

    DWFPropertyVisitor* chainedVisitor() const noexcept { return _chained; }
    void setChainedVisitor(DWFPropertyVisitor* chained) noexcept { _chained = chained; }

private:
    DWFPropertyVisitor* _chained;
};

} // namespace DWFToolkit

#endif
