#include "imaging/codecs/rlc/RlcProperties.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/rlc/RlcContainer.h"
#include "imaging/codecs/strings/CodecStrings.h"

namespace Omvi
{

RlcImageReference::RlcImageReference(const std::string& name)
    : FormatCodecStringProperty(kPrivate, StringBuffer(), AsciiStringBuffer(name),
                                static_cast<std::int32_t>(ContainerRecords::kReferenceSize - 56))
{
    setCodes(RlcFamily::kReferenceKind, 1);
    loadTexts(RlcStringId::kImageReferenceName, RlcStringId::kImageReferenceDescription);
}

RlcRectangleEdit::RlcRectangleEdit(const ContainerRecords::Edit& edit)
    : RlcRasterEdit(edit, 4, RlcStringId::kRectangleEditName, RlcStringId::kRectangleEditDescription)
{
}

RlcPolygonEdit::RlcPolygonEdit(const ContainerRecords::Edit& edit)
    : RlcRasterEdit(edit, 5, RlcStringId::kPolygonEditName, RlcStringId::kPolygonEditDescription)
{
}

RlcCircleEdit::RlcCircleEdit(const ContainerRecords::Edit& edit)
    : RlcRasterEdit(edit, 6, RlcStringId::kCircleEditName, RlcStringId::kCircleEditDescription)
{
}

RlcDonutEdit::RlcDonutEdit(const ContainerRecords::Edit& edit)
    : RlcRasterEdit(edit, 7, RlcStringId::kDonutEditName, RlcStringId::kDonutEditDescription)
{
}

RlcArcEdit::RlcArcEdit(const ContainerRecords::Edit& edit)
    : RlcRasterEdit(edit, 8, RlcStringId::kArcEditName, RlcStringId::kArcEditDescription)
{
}

RlcRasterEdits::RlcRasterEdits(const std::vector<ContainerRecords::Edit>& edits)
{
    for (const ContainerRecords::Edit& edit : edits)
    {
        switch (edit.shape)
        {
        case ContainerRecords::kRectangle: { const RlcRectangleEdit e(edit); append(&e); break; }
        case ContainerRecords::kPolygon: { const RlcPolygonEdit e(edit); append(&e); break; }
        case ContainerRecords::kCircle: { const RlcCircleEdit e(edit); append(&e); break; }
        case ContainerRecords::kDonut: { const RlcDonutEdit e(edit); append(&e); break; }
        default: { const RlcArcEdit e(edit); append(&e); break; }
        }
    }
}

RlcPropertySetIterator::RlcPropertySetIterator(const std::string& nativePath, std::int32_t entryIndex,
                                               bool withEdits)
{
    CodecFile file;
    std::uint8_t header[4];
    std::vector<ContainerRecords::Entry> entries;
    if (!file.open(nativePath) || !file.readAt(0, header, sizeof header) ||
        !ContainerRecords::readTrailer(file, RlcContainer::kRlcFormatCode, entries))
        return;
    const std::int32_t height = ByteOrder::bigEndian16(header);
    const std::int32_t width = ByteOrder::bigEndian16(header + 2);
    if (entryIndex >= 0 && static_cast<std::size_t>(entryIndex) < entries.size())
    {
        const ContainerRecords::Entry& entry = entries[static_cast<std::size_t>(entryIndex)];
        ContainerRecords::Placement placement;
        if (entry.type == ContainerRecords::kRaster && ContainerRecords::readPlacement(file, entry, placement))
        {
            const RlcCorrelation correlation(placement, true, placement.width, placement.height);
            append(&correlation);
            const RlcDensity density(placement.resolution);
            append(&density);
            const RlcForegroundColor foreground(placement.foreground);
            append(&foreground);
        }
        else if (entry.type == ContainerRecords::kReference && ContainerRecords::readReference(file, entry, placement))
        {
            const RlcCorrelation correlation(placement, true, width, height);
            append(&correlation);
            const RlcDensity density(placement.resolution);
            append(&density);
            const RlcImageReference reference(placement.referenceName);
            append(&reference);
            const RlcForegroundColor foreground(placement.foreground);
            append(&foreground);
        }
    }
    if (!withEdits)
        return;
    for (const ContainerRecords::Entry& entry : entries)
    {
        std::vector<ContainerRecords::Edit> edits;
        if (entry.type == ContainerRecords::kEdits && ContainerRecords::readEdits(file, entry, edits))
        {
            const RlcRasterEdits set(edits);
            append(&set);
        }
    }
}

bool isRlcPropertyName(const StringBuffer& name, std::int32_t kind)
{
    const std::int32_t id = RlcStringId::privatePropertyNameId(kind);
    if (id == 0)
        return false;
    return equalsCodecString(name, id);
}

} // namespace Omvi
