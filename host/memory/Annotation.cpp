#include "host/memory/Annotation.h"

#include "host/memory/Sketch.h"

namespace host::memory
{

namespace
{
bool inRange(int index, std::size_t size)
{
    return index >= 0 && static_cast<std::size_t>(index) < size;
}
} // namespace

int DisplayData::lineCount()
{
    ask("DisplayData::lineCount");
    return lines.count;
}

std::vector<double> DisplayData::line(int index)
{
    ask("DisplayData::line");
    return recordAt(lines.data, index, 10);
}

int DisplayData::arcCount()
{
    ask("DisplayData::arcCount");
    return arcs.count;
}

std::vector<double> DisplayData::arc(int index)
{
    ask("DisplayData::arc");
    return recordAt(arcs.data, index, 17);
}

int DisplayData::arrowCount()
{
    ask("DisplayData::arrowCount");
    return arrows.count;
}

std::vector<double> DisplayData::arrow(int index)
{
    ask("DisplayData::arrow");
    return recordAt(arrows.data, index, 9);
}

int DisplayData::textCount()
{
    ask("DisplayData::textCount");
    return static_cast<int>(texts.size());
}

double DisplayData::textHeight(int index)
{
    ask("DisplayData::textHeight");
    return inRange(index, texts.size()) ? texts[static_cast<std::size_t>(index)].height : 0.0;
}

std::array<double, 3> DisplayData::textPosition(int index)
{
    ask("DisplayData::textPosition");
    return inRange(index, texts.size()) ? texts[static_cast<std::size_t>(index)].position
                                        : std::array<double, 3>{};
}

int DisplayData::textJustification(int index)
{
    ask("DisplayData::textJustification");
    return inRange(index, texts.size()) ? texts[static_cast<std::size_t>(index)].justification : 0;
}

std::u16string DisplayData::text(int index)
{
    ask("DisplayData::text");
    return inRange(index, texts.size()) ? texts[static_cast<std::size_t>(index)].text
                                        : std::u16string();
}

double DisplayData::textAngle(int index)
{
    ask("DisplayData::textAngle");
    return inRange(index, texts.size()) ? texts[static_cast<std::size_t>(index)].angle : 0.0;
}

std::u16string DisplayData::textFont(int index)
{
    ask("DisplayData::textFont");
    return inRange(index, texts.size()) ? texts[static_cast<std::size_t>(index)].font
                                        : std::u16string();
}

host::DisplayData* Annotation::displayData()
{
    ask("Annotation::displayData");
    return data;
}

int Annotation::colour()
{
    ask("Annotation::colour");
    return annotationColour;
}

int Annotation::lineStyle()
{
    ask("Annotation::lineStyle");
    return style;
}

int Annotation::type()
{
    ask("Annotation::type");
    return annotationType;
}

host::Annotation* Annotation::next()
{
    ask("Annotation::next");
    return nextAnnotation;
}

std::array<double, 3> Annotation::position()
{
    ask("Annotation::position");
    return anchor;
}

int WeldItem::triangleCount()
{
    ask("WeldItem::triangleCount");
    return triangles.count;
}

std::vector<double> WeldItem::triangle(int index)
{
    ask("WeldItem::triangle");
    return recordAt(triangles.data, index, 9);
}

std::int16_t WeldItem::filled(int index)
{
    ask("WeldItem::filled");
    return inRange(index, filledFlags.size()) ? filledFlags[static_cast<std::size_t>(index)] : 0;
}

host::WeldItem* WeldItem::next()
{
    ask("WeldItem::next");
    return nextItem;
}

host::DisplayData* MultiJogLeader::displayData()
{
    ask("MultiJogLeader::displayData");
    return data;
}

host::MultiJogLeader* MultiJogLeader::next()
{
    ask("MultiJogLeader::next");
    return nextLeader;
}

host::Annotation* CentreMark::annotation()
{
    ask("CentreMark::annotation");
    return mark;
}

host::CentreMark* CentreMark::next()
{
    ask("CentreMark::next");
    return nextMark;
}

host::Sketch* BlockDefinition::sketch()
{
    ask("BlockDefinition::sketch");
    return definitionSketch;
}

double BlockInstance::angle()
{
    ask("BlockInstance::angle");
    return instanceAngle;
}

double BlockInstance::scale()
{
    ask("BlockInstance::scale");
    return instanceScale;
}

host::Annotation* BlockInstance::annotation()
{
    ask("BlockInstance::annotation");
    return note;
}

host::BlockDefinition* BlockInstance::definition()
{
    ask("BlockInstance::definition");
    return block;
}

host::BlockInstance* BlockInstance::next()
{
    ask("BlockInstance::next");
    return nextInstance;
}

std::vector<double> QuadrantItem::points()
{
    ask("QuadrantItem::points");
    return corners;
}

std::int16_t QuadrantItem::flag()
{
    ask("QuadrantItem::flag");
    return quadrant;
}

host::Annotation* QuadrantItem::annotation()
{
    ask("QuadrantItem::annotation");
    return note;
}

host::QuadrantItem* QuadrantItem::next()
{
    ask("QuadrantItem::next");
    return nextItem;
}

} // namespace host::memory
