#include "imaging/conversions/ColorModelRule.h"

#include "imaging/models/BitonalModel.h"
#include "imaging/models/ColorModelInterface.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

namespace Omvi
{

RowProviderInterface* applyColorModelRule(RowProviderInterface* provider)
{
    if (provider == nullptr || provider->dataModel().colorSpace() != kColorSpaceNone)
        return provider;
    const ColorModelInterface* face = ColorModelInterface::of(provider->dataModel());
    if (face == nullptr)
        return provider;
    const BitonalModel bitonal;
    const RgbGrayModel gray;
    const RgbPaletteModel palette(RgbPaletteModel::kMaxEntries);
    const RgbModel rgb(32);
    for (const DataModel* target : {static_cast<const DataModel*>(&bitonal), static_cast<const DataModel*>(&gray),
                                    static_cast<const DataModel*>(&palette), static_cast<const DataModel*>(&rgb)})
        if (face->canConvertTo(*target))
            return face->convertTo(*target, provider);
    return provider;
}

} // namespace Omvi
