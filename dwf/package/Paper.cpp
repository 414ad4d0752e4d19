#include "dwf/package/Paper.h"

#include "dwf/package/AttributeText.h"
#include "dwf/package/NumberText.h"
#include "dwf/package/writer/XMLSerializer.h"
#include "dwfcore/Exception.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace DWFToolkit
{

DWFPaper::DWFPaper() = default;

DWFPaper::DWFPaper(double width, double height, teUnits units, std::uint32_t color,
                   const double* clip, bool show)
    : _show(show), _width(width), _height(height), _color(color), _units(units)
{
    if (clip)
    {
        std::copy(clip, clip + 4, _clip);
    }
}

DWFPaper::DWFPaper(const DWFPaper& other)
    : DWFXMLBuildable(), DWFXMLSerializable(other), _show(other._show), _width(other._width),
      _height(other._height), _color(other._color), _units(other._units)
{
    std::copy(other._clip, other._clip + 4, _clip);
}

DWFPaper& DWFPaper::operator=(const DWFPaper& other)
{
    DWFXMLSerializable::operator=(other);
    _show = other._show;
    _width = other._width;
    _height = other._height;
    _color = other._color;
    std::copy(other._clip, other._clip + 4, _clip);
    _units = other._units;
    return *this;
}

void DWFPaper::parseAttributeList(const char** attributes)
{
    if (attributes == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No attributes provided",
                      "DWFToolkit::DWFPaper::parseAttributeList");
    }
    DWFAttributeOnce once;
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        const char* name = DWFAttributeText::SkipPrefix(attributes[i]);
        const char* value = attributes[i + 1];
        if (std::strcmp(name, "show") == 0 && once.first(0))
        {
            if (DWFAttributeText::ParseBoolean(value))
            {
                _show = true;
            }
        }
        else if (std::strcmp(name, "units") == 0 && once.first(1))
        {
            if (value[0] == 'm' || value[0] == 'M')
            {
                _units = eMillimeters;
            }
            else if (value[0] == 'i' || value[0] == 'I')
            {
                _units = eInches;
            }
        }
        else if (std::strcmp(name, "width") == 0 && once.first(2))
        {
            _width = DWFCore::DWFString::ParseDouble(value);
        }
        else if (std::strcmp(name, "height") == 0 && once.first(3))
        {
            _height = DWFCore::DWFString::ParseDouble(value);
        }
        else if (std::strcmp(name, "color") == 0 && once.first(4))
        {
            // Components the text does not give keep their current values.
            long rgb[3] = {long((_color >> 16) & 0xFF), long((_color >> 8) & 0xFF),
                           long(_color & 0xFF)};
            DWFAttributeText::ParseIntegers(value, rgb, 3);
            _color = (std::uint32_t(rgb[0] & 0xFF) << 16) | (std::uint32_t(rgb[1] & 0xFF) << 8) |
                     std::uint32_t(rgb[2] & 0xFF);
        }
        else if (std::strcmp(name, "clip") == 0 && once.first(5))
        {
            DWFAttributeText::ParseDoubles(value, _clip, 4);
        }
    }
}

void DWFPaper::serializeXML(DWFXMLSerializer& serializer, unsigned int flags)
{
    serializer.startElement(u"Paper",
                            (flags & eDescriptor) ? namespaceXML(flags) : DWFCore::DWFString());
    serializer.addAttribute(u"units", _units == eMillimeters ? u"mm" : u"in");
    serializer.addAttribute(u"width", DWFFormatNumber("%.17g", _width));
    serializer.addAttribute(u"height", DWFFormatNumber("%.17g", _height));
    if ((_color & 0x00FFFFFF) != 0x00FFFFFF)
    {
        const std::string rgb = std::to_string((_color >> 16) & 0xFF) + ' ' +
                                std::to_string((_color >> 8) & 0xFF) + ' ' +
                                std::to_string(_color & 0xFF);
        serializer.addAttribute(u"color", DWFCore::DWFString(rgb.c_str()));
    }
    if (std::any_of(_clip, _clip + 4, [](double v) { return v != 0.0; }))
    {
        serializer.addAttribute(u"clip", DWFFormatNumbers(_clip, 4));
    }
    serializer.endElement();
}

} // namespace DWFToolkit
