#include "dwf/w2dtk/opcode_registry.h"

#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/unknown.h"

#include <array>
#include <new>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace
{
// Statistics kinds of opcodes that no family claims.
constexpr int Unknown_ASCII_Kind = 292;
constexpr int Unknown_Binary_Kind = 302;

struct Entry
{
    int m_kind = -1;
    WT_Object_Factory m_factory = nullptr;
};
} // namespace

struct WT_Opcode_Registry::Tables
{
    std::array<Entry, 256> m_single_byte;
    std::unordered_map<std::string, Entry> m_ascii;
    std::vector<std::pair<std::string, Entry>> m_ascii_prefixes;
    std::unordered_map<std::uint16_t, Entry> m_binary;
};

WT_Opcode_Registry::WT_Opcode_Registry() : m_tables(std::make_unique<Tables>()) {}

WT_Opcode_Registry::~WT_Opcode_Registry() = default;

void WT_Opcode_Registry::add_single_byte(std::uint8_t byte, int kind, WT_Object_Factory factory)
{
    m_tables->m_single_byte[byte] = Entry{kind, factory};
}

void WT_Opcode_Registry::add_extended_ascii(const char* name, int kind, WT_Object_Factory factory,
                                            bool prefix)
{
    if (prefix)
        m_tables->m_ascii_prefixes.emplace_back(name, Entry{kind, factory});
    else
        m_tables->m_ascii[name] = Entry{kind, factory};
}

void WT_Opcode_Registry::add_extended_binary(std::uint16_t number, int kind,
                                             WT_Object_Factory factory)
{
    m_tables->m_binary[number] = Entry{kind, factory};
}

const WT_Opcode_Registry& WT_Opcode_Registry::instance()
{
    static const WT_Opcode_Registry* const registry = []
    {
        auto* r = new WT_Opcode_Registry();
        wt_register_spine_opcodes(*r);
        wt_register_geometry_opcodes(*r);
        wt_register_text_and_styling_opcodes(*r);
        wt_register_raster_opcodes(*r);
        wt_register_block_opcodes(*r);
        wt_register_compression_opcodes(*r);
        return r;
    }();
    return *registry;
}

WT_Result WT_Opcode_Registry::build_object(const WT_Opcode& opcode, WT_File& file,
                                           std::unique_ptr<WT_Object>& object) const
{
    object.reset();
    Entry entry;
    switch (opcode.type())
    {
    case WT_Opcode::Single_Byte:
        entry = m_tables->m_single_byte[opcode.first_byte()];
        if (!entry.m_factory)
        {
            if (WT_Opcode_Statistics* statistics = file.statistics())
                statistics->record(opcode.first_byte(), file.object_start_position());
            return WT_Result_Unknown_Opcode;
        }
        break;
    case WT_Opcode::Extended_ASCII:
    {
        auto found = m_tables->m_ascii.find(opcode.name());
        if (found != m_tables->m_ascii.end())
            entry = found->second;
        else
        {
            entry = Entry{Unknown_ASCII_Kind, &wt_make_object<WT_Unknown>};
            std::string const name = opcode.name();
            for (auto const& prefix : m_tables->m_ascii_prefixes)
                if (name.compare(0, prefix.first.size(), prefix.first) == 0)
                {
                    entry = prefix.second;
                    break;
                }
        }
        break;
    }
    case WT_Opcode::Extended_Binary:
    {
        auto found = m_tables->m_binary.find(opcode.binary_number());
        entry = found != m_tables->m_binary.end()
                    ? found->second
                    : Entry{Unknown_Binary_Kind, &wt_make_object<WT_Unknown>};
        break;
    }
    default:
        return WT_Result_Not_Available;
    }

    if (WT_Opcode_Statistics* statistics = file.statistics())
        statistics->record(entry.m_kind, file.object_start_position());
    try
    {
        object = entry.m_factory(opcode, file);
    }
    catch (const std::bad_alloc&)
    {
        return WT_Result_Out_Of_Memory;
    }
    catch (WT_Result result)
    {
        return result;
    }
    return object ? WT_Result_Success : WT_Result_Not_Available;
}
