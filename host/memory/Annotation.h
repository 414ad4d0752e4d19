#pragma once
#include "host/Annotation.h"
#include "host/memory/Object.h"

namespace host::memory
{

class Sketch;

struct DisplayText
{
    double height = 0.0;
    std::array<double, 3> position{};
    int justification = 0;
    std::u16string text;
    double angle = 0.0;
    std::u16string font;
};

class DisplayData : public host::DisplayData, public Object
{
public:
    using Object::Object;
    RecordArray lines;  // 10 doubles each
    RecordArray arcs;   // 17 doubles each
    RecordArray arrows; // 9 doubles each
    std::vector<DisplayText> texts;

    int lineCount() override;
    std::vector<double> line(int index) override;
    int arcCount() override;
    std::vector<double> arc(int index) override;
    int arrowCount() override;
    std::vector<double> arrow(int index) override;
    int textCount() override;
    double textHeight(int index) override;
    std::array<double, 3> textPosition(int index) override;
    int textJustification(int index) override;
    std::u16string text(int index) override;
    double textAngle(int index) override;
    std::u16string textFont(int index) override;
};

class Annotation : public host::Annotation, public Object
{
public:
    using Object::Object;
    DisplayData* data = nullptr;
    int annotationColour = 0;
    int style = 0;
    int annotationType = 0;
    Annotation* nextAnnotation = nullptr;
    std::array<double, 3> anchor{};

    host::DisplayData* displayData() override;
    int colour() override;
    int lineStyle() override;
    int type() override;
    host::Annotation* next() override;
    std::array<double, 3> position() override;
};

class WeldItem : public host::WeldItem, public Object
{
public:
    using Object::Object;
    RecordArray triangles; // 9 doubles each
    std::vector<std::int16_t> filledFlags;
    WeldItem* nextItem = nullptr;

    int triangleCount() override;
    std::vector<double> triangle(int index) override;
    std::int16_t filled(int index) override;
    host::WeldItem* next() override;
};

class MultiJogLeader : public host::MultiJogLeader, public Object
{
public:
    using Object::Object;
    DisplayData* data = nullptr;
    MultiJogLeader* nextLeader = nullptr;
    host::DisplayData* displayData() override;
    host::MultiJogLeader* next() override;
};

class CentreMark : public host::CentreMark, public Object
{
public:
    using Object::Object;
    Annotation* mark = nullptr;
    CentreMark* nextMark = nullptr;
    host::Annotation* annotation() override;
    host::CentreMark* next() override;
};

class BlockDefinition : public host::BlockDefinition, public Object
{
public:
    using Object::Object;
    Sketch* definitionSketch = nullptr;
    host::Sketch* sketch() override;
};

class BlockInstance : public host::BlockInstance, public Object
{
public:
    using Object::Object;
    double instanceAngle = 0.0;
    double instanceScale = 1.0;
    Annotation* note = nullptr;
    BlockDefinition* block = nullptr;
    BlockInstance* nextInstance = nullptr;
    double angle() override;
    double scale() override;
    host::Annotation* annotation() override;
    host::BlockDefinition* definition() override;
    host::BlockInstance* next() override;
};

class QuadrantItem : public host::QuadrantItem, public Object
{
public:
    using Object::Object;
    std::vector<double> corners = std::vector<double>(6, 0.0);
    std::int16_t quadrant = 0;
    Annotation* note = nullptr;
    QuadrantItem* nextItem = nullptr;
    std::vector<double> points() override;
    std::int16_t flag() override;
    host::Annotation* annotation() override;
    host::QuadrantItem* next() override;
};

} // namespace host::memory
