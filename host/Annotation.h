#pragma once
// Annotations and their display data (already laid out in sheet
// coordinates), and the other first/next lists a view keeps.
#include "host/Forward.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace host
{

class Annotation
{
public:
    virtual ~Annotation() = default;
    virtual DisplayData* displayData() = 0;
    virtual int colour() = 0; // 0x00BBGGRR
    virtual int lineStyle() = 0;
    virtual int type() = 0; // 2 and 8 name the two weld-symbol lists
    virtual Annotation* next() = 0;
    // The annotation's anchor (x, y, z); for a block instance its insertion point.
    virtual std::array<double, 3> position() = 0;
};

// Each list is read by count, then element by element. An index outside
// the list gives an empty element.
class DisplayData
{
public:
    virtual ~DisplayData() = default;
    virtual int lineCount() = 0;
    virtual std::vector<double> line(int index) = 0; // 10 doubles
    virtual int arcCount() = 0;
    virtual std::vector<double> arc(int index) = 0; // 17 doubles
    virtual int arrowCount() = 0;
    virtual std::vector<double> arrow(int index) = 0; // 9 doubles
    virtual int textCount() = 0;
    virtual double textHeight(int index) = 0;
    virtual std::array<double, 3> textPosition(int index) = 0;
    virtual int textJustification(int index) = 0;
    virtual std::u16string text(int index) = 0;
    virtual double textAngle(int index) = 0; // radians
    virtual std::u16string textFont(int index) = 0;
};

class WeldItem
{
public:
    virtual ~WeldItem() = default;
    virtual int triangleCount() = 0;
    // Nine doubles: points at 0-1, 3-4 and 6-7 (sheet coordinates).
    virtual std::vector<double> triangle(int index) = 0;
    virtual std::int16_t filled(int index) = 0; // first list only
    virtual WeldItem* next() = 0;
};

class MultiJogLeader
{
public:
    virtual ~MultiJogLeader() = default;
    virtual DisplayData* displayData() = 0;
    virtual MultiJogLeader* next() = 0;
};

class CentreMark
{
public:
    virtual ~CentreMark() = default;
    virtual Annotation* annotation() = 0;
    virtual CentreMark* next() = 0;
};

class BlockDefinition
{
public:
    virtual ~BlockDefinition() = default;
    virtual Sketch* sketch() = 0;
};

class BlockInstance
{
public:
    virtual ~BlockInstance() = default;
    virtual double angle() = 0; // radians
    virtual double scale() = 0;
    virtual Annotation* annotation() = 0;
    virtual BlockDefinition* definition() = 0;
    virtual BlockInstance* next() = 0;
};

class QuadrantItem
{
public:
    virtual ~QuadrantItem() = default;
    // Six doubles: p0, p1, p2 as (x, y) pairs.
    virtual std::vector<double> points() = 0;
    virtual std::int16_t flag() = 0;
    virtual Annotation* annotation() = 0;
    virtual QuadrantItem* next() = 0;
};

} // namespace host
