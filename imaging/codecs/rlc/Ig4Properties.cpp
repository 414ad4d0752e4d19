#include "imaging/codecs/rlc/Ig4Properties.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/rlc/RlcContainer.h"
#include "imaging/codecs/strings/CodecStrings.h"

namespace Omvi
{

Ig4RectangleEdit::Ig4RectangleEdit(const ContainerRecords::Edit& edit)
    : Ig4RasterEdit(edit, 3, Ig4StringId::kRectangleEditName, Ig4StringId::kRectangleEditDescription)
{
}

Ig4PolygonEdit::Ig4PolygonEdit(const ContainerRecords::Edit& edit)
    : Ig4RasterEdit(edit, 4, Ig4StringId::kPolygonEditName, Ig4StringId::kPolygonEditDescription)
{
}

Ig4CircleEdit::Ig4CircleEdit(const ContainerRecords::Edit& edit)
    : Ig4RasterEdit(edit, 5, Ig4StringId::kCircleEditName, Ig4StringId::kCircleEditDescription)
{
}

Ig4DonutEdit::Ig4DonutEdit(const ContainerRecords::Edit& edit)
    : Ig4RasterEdit(edit, 6, Ig4StringId::kDonutEditName, Ig4StringId::kDonutEditDescription)
{
}

Ig4ArcEdit::Ig4ArcEdit(const ContainerRecords::Edit& edit)
    : Ig4RasterEdit(edit, 7, Ig4StringId::kArcEditName, Ig4StringId::kArcEditDescription)
{
}

Ig4RasterEdits::Ig4RasterEdits(const std::vector<ContainerRecords::Edit>& edits)
{
    for (const ContainerRecords::Edit& edit : edits)
    {
        switch (edit.shape)
        {
        case ContainerRecords::kRectangle: { const Ig4RectangleEdit e(edit); append(&e); break; }
        case ContainerRecords::kPolygon: { const Ig4PolygonEdit e(edit); append(&e); break; }
        case ContainerRecords::kCircle: { const Ig4CircleEdit e(edit); append(&e); break; }
        case ContainerRecords::kDonut: { const Ig4DonutEdit e(edit); append(&e); break; }
        default: { const Ig4ArcEdit e(edit); append(&e); break; }
        }
    }
}

Ig4PropertySetIterator::Ig4PropertySetIterator(const std::string& nativePath)
{
    CodecFile file;
    std::vector<ContainerRecords::Entry> entries;
    if (!file.open(nativePath) || !ContainerRecords::readTrailer(file, RlcContainer::kIg4FormatCode, entries))
        return;
    for (const ContainerRecords::Entry& entry : entries)
    {
        ContainerRecords::Placement placement;
        std::vector<ContainerRecords::Edit> edits;
        if (entry.type == ContainerRecords::kRaster && ContainerRecords::readPlacement(file, entry, placement))
        {
            const Ig4Correlation correlation(placement, false, placement.width, placement.height);
            append(&correlation);
            const Ig4Density density(placement.resolution);
            append(&density);
            const Ig4ForegroundColor foreground(placement.foreground);
            append(&foreground);
        }
        else if (entry.type == ContainerRecords::kEdits && ContainerRecords::readEdits(file, entry, edits))
        {
            const Ig4RasterEdits set(edits);
            append(&set);
        }
    }
}

bool isIg4PropertyName(const StringBuffer& name, std::int32_t kind)
{
    const std::int32_t id = Ig4StringId::privatePropertyNameId(kind);
    if (id == 0)
        return false;
    return equalsCodecString(name, id);
}

} // namespace Omvi
