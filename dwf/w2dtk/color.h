#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/rgba.h"

#include <cstdint>

class WT_Color_Map;

// The drawing colour: a value, or an index into the file's colour map.
class WT_Color : public WT_Attribute
{
public:
    // How serialize may turn a value into an index of the colour map.
    enum WT_Color_Map_Mode
    {
        No_Mapping = 0,
        Exact_Match_At_Cube = 1,
        Cube_Position = 2,
        Exact_Match_Anywhere = 3,
        Nearest_Match = 4,
    };

    WT_Color() = default; // opaque white
    explicit WT_Color(WT_RGBA32 rgba, WT_Color_Map_Mode mode = No_Mapping)
        : m_rgba(rgba), m_mapping(mode)
    {
    }
    WT_Color(int red, int green, int blue, int alpha = 255, WT_Color_Map_Mode mode = No_Mapping)
        : m_rgba(red, green, blue, alpha), m_mapping(mode)
    {
    }
    // Throws WT_Result_Usage_Error when the index is not within the map.
    WT_Color(int index, const WT_Color_Map& map);

    // Throws WT_Result_Usage_Error when the index is not within the map.
    void set(int index, const WT_Color_Map& map);
    void set(WT_RGBA32 rgba, WT_Color_Map_Mode mode = No_Mapping);

    WT_RGBA32 rgba() const { return m_rgba; }
    std::int32_t index() const { return m_index; }
    WT_Color_Map_Mode mapping() const { return m_mapping; }

    // The map index serialize would use for rgba, or -1 to write the value.
    static int map_to_index(WT_RGBA32 rgba, WT_Color_Map_Mode mode, const WT_Color_Map& map);

    WT_ID object_id() const override { return Color_ID; }
    int action_slot() const override { return 7; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_RGBA32 m_rgba;
    std::int32_t m_index = -1;
    WT_Color_Map_Mode m_mapping = No_Mapping;
    int m_stage = 0;
};
