#include "dwf/publisher/EmbeddedFontVisitor.h"

namespace DWFToolkit
{

DWFEmbeddedFontVisitor::~DWFEmbeddedFontVisitor() = default;

void DWFEmbeddedFontVisitor::visitEmbeddedFont(DWFEmbeddedFont& font)
{
    if (_chained != nullptr)
    {
        _chained->visitEmbeddedFont(font);
    }
}

} // namespace DWFToolkit
