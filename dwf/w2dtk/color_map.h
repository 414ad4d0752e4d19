#pragma once

#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/rgba.h"

#include <cstdint>
#include <vector>

class WT_Color;

// A table of colours, either an attribute of its own or part of an image.
class WT_Color_Map : public WT_Attribute
{
public:
    // Versions below this one use the older default table.
    static constexpr int Current_Table_Version = 38;
    static constexpr int Max_Entries = 65535;

    // 256 entries from the default table for that file version.
    explicit WT_Color_Map(int file_version = 600);
    WT_Color_Map(const WT_Color_Map&) = default;
    WT_Color_Map& operator=(const WT_Color_Map&) = default;

    // Takes count entries and a new incarnation from the file's serial counter.
    void set(int count, const WT_RGBA32* entries, WT_File& file);
    void clear();

    int size() const { return int(m_entries.size()); }
    WT_RGBA32 map(int index) const { return m_entries[std::size_t(index)]; }
    const WT_RGBA32* entries() const { return m_entries.data(); }
    std::int32_t incarnation() const { return m_incarnation; }

    // Index of the entry for the colour: its own index when that entry matches,
    // else the nearest entry (lowest index among equals); -1 for an empty map.
    int nearest_index(const WT_Color& color) const;
    int nearest_index(WT_RGBA32 rgba) const;

    // Binary operands carry 1 to 256 entries; other sizes use the ASCII form.
    bool fits_binary_operand() const { return size() >= 1 && size() <= 256; }
    // The operand inside images: count byte (256 as 0) and the entries.
    WT_Result serialize_binary_operand(WT_File& file) const;
    WT_Result materialize_binary_operand(WT_File& file);

    WT_ID object_id() const override { return Color_Map_ID; }
    int action_slot() const override { return 8; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    WT_Result sync(WT_File& file) override;
    bool operator==(const WT_Attribute& other) const override;
    WT_Result default_process(WT_File& file) override;

private:
    WT_Result background_for_old_streams(WT_File& file);

    std::int32_t m_incarnation = -1;
    int m_stage = 0;
    long m_expected = 0;
    std::vector<WT_RGBA32> m_entries;
};
