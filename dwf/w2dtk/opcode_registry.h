#pragma once

#include "dwf/w2dtk/result.h"

#include <cstdint>
#include <memory>

class WT_File;
class WT_Object;
class WT_Opcode;

// Builds the object for an opcode just read. The factory may look at the
// opcode (binary numbers carry formats) and at the file (the current fill
// chooses between polygon and polyline).
using WT_Object_Factory = std::unique_ptr<WT_Object> (*)(const WT_Opcode& opcode, WT_File& file);

// The dispatcher's tables. Each opcode family registers its opcodes in its own
// dispatch_<family>.cpp; see dwf/w2dtk/README.md.
class WT_Opcode_Registry
{
public:
    // One single-byte opcode; kind is the statistics kind (normally the byte).
    void add_single_byte(std::uint8_t byte, int kind, WT_Object_Factory factory);
    // "(Name" matched exactly, or every token beginning with name when prefix is set.
    void add_extended_ascii(const char* name, int kind, WT_Object_Factory factory,
                            bool prefix = false);
    // The 16-bit number of a "{" frame.
    void add_extended_binary(std::uint16_t number, int kind, WT_Object_Factory factory);

    // The dispatcher: records the opcode in the file's statistics and builds its
    // object. 14 for an unknown single byte, 10 for token types that build nothing.
    WT_Result build_object(const WT_Opcode& opcode, WT_File& file,
                           std::unique_ptr<WT_Object>& object) const;

    // The registry with every family's opcodes.
    static const WT_Opcode_Registry& instance();

    WT_Opcode_Registry();
    ~WT_Opcode_Registry();

private:
    struct Tables;
    std::unique_ptr<Tables> m_tables;
};

// Each family's registration; called once, in this order, by instance().
void wt_register_spine_opcodes(WT_Opcode_Registry& registry);
void wt_register_geometry_opcodes(WT_Opcode_Registry& registry);
void wt_register_text_and_styling_opcodes(WT_Opcode_Registry& registry);
void wt_register_raster_opcodes(WT_Opcode_Registry& registry);
void wt_register_block_opcodes(WT_Opcode_Registry& registry);
void wt_register_compression_opcodes(WT_Opcode_Registry& registry);

// The factory for any object that has a default constructor.
template <class T> std::unique_ptr<WT_Object> wt_make_object(const WT_Opcode&, WT_File&)
{
    return std::unique_ptr<WT_Object>(new T());
}
