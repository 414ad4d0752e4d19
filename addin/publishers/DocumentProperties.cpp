// The document's properties: summary information, material, current
// configuration and mass properties, as the two option check boxes choose.
#include "addin/publishers/DWF3DGrWriter.h"

#include "addin/ErrorReport.h"
#include "addin/PublishOptions.h"
#include "dwf/package/Property.h"
#include "dwf/package/utility/PropertyContainer.h"
#include "host/Document.h"
#include "host/Geometry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

using platform::E_FAIL;
using platform::HRESULT;
using platform::S_OK;

namespace
{
// The names of summary fields 0 to 7, as published.
const char16_t* const kSummaryNames[8] = {u"Title",    u"subject", u"author",     u"keywords",
                                          u"commants", u"SaveBy",  u"CreateData", u"SaveData"};

// What the host appends to the name of a material of its library.
constexpr std::size_t kLibrarySuffixLength = 21;

// A value in plain decimal notation with a point, whatever locale the
// process runs in. Six decimals, as "%f" writes them, keep seven significant
// digits only from 1 up: a smaller value (a volume or moment of inertia in
// metres and kilograms is often far below 1) gets as many more decimals as
// its seventh significant digit needs, without the trailing zeros of those
// extra decimals. So a value that "%f" shows to seven digits, or in full,
// keeps exactly that form (2.500000, 0.020000), and 0.0000152146 is not cut
// to 0.000015.
std::u16string PlainDecimal(double value)
{
    constexpr int kSignificantDigits = 7;
    constexpr int kPlainDecimals = 6;
    int decimals = kPlainDecimals;
    if (std::isfinite(value) && value != 0.0)
    {
        // The power of ten of the first digit once rounded to seven digits,
        // as the exponent of scientific notation gives it (0.99999996 rounds
        // up to 1 and needs no more than six decimals).
        char scientific[32];
        const auto written = std::to_chars(scientific, scientific + sizeof scientific, value,
                                           std::chars_format::scientific, kSignificantDigits - 1);
        const char* exponent = std::find(scientific, written.ptr, 'e');
        int power = 0;
        if (exponent + 2 < written.ptr)
            std::from_chars(exponent + 2, written.ptr, power);
        if (exponent + 1 < written.ptr && exponent[1] == '-')
            decimals = kPlainDecimals + power;
    }
    // The longest text: the smallest double's 330 decimals, or the largest
    // double's 309 digits before six decimals.
    char buffer[512];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    char* end = result.ptr;
    if (decimals > kPlainDecimals)
    {
        const char* sixth = std::find(buffer, end, '.') + 1 + kPlainDecimals;
        while (end > sixth && end[-1] == '0')
            --end;
    }
    return std::u16string(buffer, end);
}

std::u16string PlainDecimalList(const double* values, std::size_t count)
{
    std::u16string text = u"(";
    for (std::size_t i = 0; i < count; ++i)
    {
        if (i > 0)
            text += u',';
        text += PlainDecimal(values[i]);
    }
    return text + u")";
}
} // namespace

HRESULT CDWF3DGrWriter::AddDWFProperty(const std::u16string& name, const std::u16string& value,
                                       const std::u16string& category,
                                       DWFToolkit::DWFPropertyContainer& container)
{
    DWFToolkit::DWFProperty property(name, value, category, DWFCore::DWFString(),
                                     DWFCore::DWFString());
    container.addProperty(&property, false);
    return S_OK;
}

HRESULT CDWF3DGrWriter::ProcessDocumentProps(host::Document* document,
                                             DWFToolkit::DWFPackagePublisher*,
                                             DWFToolkit::DWFSegment& segment,
                                             const PublishOptions* options)
{
    try
    {
        // Owned here until the segment takes it: a container that is not
        // attached goes with this function.
        auto container = std::make_unique<DWFToolkit::DWFPropertyContainer>();
        HRESULT result = S_OK;
        if (options && options->option1006)
        {
            result = GetSummaryPropsFromDoc(document, *container);
            result = GetMaterialPropsFromDoc(document, *container);
        }
        if (options && options->option1007)
            result = GetGeneralPropsFromDoc(document, *container);
        if (platform::failed(result))
            return result;
        segment.addPropertyContainer(container.get());
        container.release();
        return result;
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::ProcessDocumentProps");
    }
    return E_FAIL;
}

HRESULT CDWF3DGrWriter::GetSummaryPropsFromDoc(host::Document* document,
                                               DWFToolkit::DWFPropertyContainer& container)
{
    if (!document)
        return S_OK;
    try
    {
        for (int i = 0; i < 8; ++i)
        {
            const std::u16string text = document->summaryInfo(i);
            if (!text.empty())
                AddDWFProperty(kSummaryNames[i], text, u"Summary", container);
        }
        return S_OK;
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GetSummaryPropsFromDoc");
    }
    return E_FAIL;
}

HRESULT CDWF3DGrWriter::GetMaterialPropsFromDoc(host::Document* document,
                                                DWFToolkit::DWFPropertyContainer& container)
{
    if (!document)
        return S_OK;
    try
    {
        const std::u16string name = document->materialName();
        if (name.empty())
            return S_OK;
        // A library material's name comes with the host's suffix, which is
        // not part of the material's name.
        std::u16string value;
        if (name == u"Steel")
            value = name;
        else if (name.size() > kLibrarySuffixLength)
            value = name.substr(0, name.size() - kLibrarySuffixLength);
        AddDWFProperty(u"Material", value, u"Material", container);
        return S_OK;
    }
    catch (...)
    {
        ReportPublishError("CDWF3DGrWriter::GetMaterialPropsFromDoc");
    }
    return E_FAIL;
}

HRESULT CDWF3DGrWriter::GetGeneralPropsFromDoc(host::Document* document,
                                               DWFToolkit::DWFPropertyContainer& container)
{
    static const char* const where = "CDWF3DGrWriter::GetGeneralPropsFromDoc";
    if (!document)
        return S_OK;
    try
    {
        host::Configuration* configuration = document->currentConfiguration();
        if (!configuration)
            return S_OK;
        const std::u16string name = configuration->name();
        if (!name.empty())
            AddDWFProperty(u"ConfigName", name, u"Configuration", container);

        host::ModelExtension* extension = document->extension();
        if (!extension)
            return S_OK;
        int status = -1;
        const std::vector<double> mass = extension->massProperties(2, status);
        if (status != 0)
            return S_OK;
        // Centre (3), volume, area, mass, six moments, one value not read.
        if (mass.size() < 12)
        {
            ReportPublishError(where);
            return S_OK;
        }
        AddDWFProperty(u"CenterMass(m)", PlainDecimalList(mass.data(), 3), u"Mass", container);
        AddDWFProperty(u"Volume(m^3)", PlainDecimal(mass[3]), u"Mass", container);
        AddDWFProperty(u"Area(m^2)", PlainDecimal(mass[4]), u"Mass", container);
        AddDWFProperty(u"Mass(kg)", PlainDecimal(mass[5]), u"Mass", container);
        AddDWFProperty(u"MomentInertia(kg^m^2)", PlainDecimalList(mass.data() + 6, 6), u"Mass",
                       container);
        return S_OK;
    }
    catch (...)
    {
        ReportPublishError(where);
    }
    return E_FAIL;
}
