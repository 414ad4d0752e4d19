#pragma once

#include "dwf/w2dtk/block_ref.h"
#include "dwf/w2dtk/item_list.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"

#include <cstdint>
#include <memory>

// The block directory: a copy of every block reference of the stream with the
// offset at which it stands. Written just before the trailer, whose last bytes
// before "(EndOfDWF)" give the directory's own offset, so that a reader can
// find every block without reading the stream through.
class WT_Directory : public WT_Object
{
public:
    WT_Directory() = default;
    WT_Directory(const WT_Directory& other);
    WT_Directory& operator=(const WT_Directory& other);

    // Appends a copy of reference.
    WT_Result add(const WT_Block_Ref& reference);
    WT_Block_Ref* last() { return m_entries.tail(); }
    std::size_t count() const { return m_entries.count(); }
    WT_Item_List<WT_Block_Ref>& entries() { return m_entries; }
    const WT_Item_List<WT_Block_Ref>& entries() const { return m_entries; }
    void remove_all() { m_entries.remove_all(); }

    std::uint32_t file_offset() const { return m_file_offset; }
    void set_file_offset(std::uint32_t offset) { m_file_offset = offset; }

    WT_Type object_type() const override { return Structure; }
    WT_ID object_id() const override { return Directory_ID; }
    int action_slot() const override { return 17; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file) override;
    WT_Result serialize(WT_File& file) override;
    // Becomes the file's directory.
    WT_Result default_process(WT_File& file) override;

    // More entries than any stream could sensibly hold.
    static constexpr std::uint32_t Max_Entries = 1u << 20;

private:
    WT_Result read_body(const WT_Opcode& opcode, WT_File& file);

    WT_Item_List<WT_Block_Ref> m_entries;
    std::uint32_t m_file_offset = 0;

    // Reading state.
    int m_stage = 0;
    std::int32_t m_count = 0;
    std::int32_t m_read = 0;
    std::uint64_t m_frame_left = 0; // binary: operand bytes the entries may still take
    WT_Opcode m_scratch;
    std::unique_ptr<WT_Block_Ref> m_entry;
};
