#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/stream/default_handlers.h"
#include "dwf/w3dtk/stream/opcode_handler.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>

namespace
{
constexpr int Tag_Opcode = 0x71;
} // namespace

BStreamFileToolkit::BStreamFileToolkit() : m_default(std::make_unique<TK_Default>())
{
    m_current = m_default.get();
    install_handlers();
}

BStreamFileToolkit::~BStreamFileToolkit()
{
    if (m_file)
        std::fclose(m_file);
    close_log();
}

void BStreamFileToolkit::Restart()
{
    m_stream = nullptr;
    m_accumulator.restart();
    m_keys.Clear();
    m_current = m_default.get();
    ClearLastKey();
    m_next_tag_index = 0;
    m_pause_count = 0;
    m_read_version = 0;
    m_segment_depth = 0;
    m_position[0] = m_position[1] = 0;
    m_target_version = Current_Version;
    m_header_flag = false;
    m_object_count = 0;
    m_pauses.clear();
    m_jpeg_quality = Default_Jpeg_Quality;
    if (m_file)
        CloseFile();
    close_log();
    m_log_name.clear();
    m_log_column = 0;
    m_opcode_count = 0;
    m_file_name.clear();
    FreeLists();
    for (auto& handler : m_handlers)
        handler->Reset();
    m_default->Reset();
    m_last_error.clear();
}

void BStreamFileToolkit::SetOpcodeHandler(int opcode, std::unique_ptr<BBaseOpcodeHandler> handler)
{
    auto& slot = m_handlers[static_cast<std::size_t>(opcode & 0xFF)];
    if (m_current == slot.get())
        m_current = m_default.get();
    slot = std::move(handler);
}

// ---- failures

TK_Status BStreamFileToolkit::Error(const char* message)
{
    m_last_error = message ? message : "";
    if (m_logging)
    {
        if (m_log_file)
        {
            std::fputs("\nTK_Error.  ", m_log_file);
            if (message)
                std::fputs(message, m_log_file);
        }
        // A log ends at its first error.
        m_logging = false;
    }
    return TK_Error;
}

TK_Status BStreamFileToolkit::ErrorF(const char* format, ...)
{
    char message[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    return Error(message);
}

// ---- buffer

TK_Status BStreamFileToolkit::PrepareBuffer(char* buffer, int size)
{
    return m_accumulator.set_buffer(buffer, size);
}

// ---- keys

TK_Status BStreamFileToolkit::IndexToKey(int index, TK_Key& key) const
{
    // Indices of a single stream: the base of the current file is always 0 here.
    return m_keys.IndexToKey(index, key);
}

TK_Status BStreamFileToolkit::AddIndexKeyPair(int index, TK_Key key)
{
    if (m_keys.Add(index, key) != TK_Done)
        return ErrorF("stream index %d out of range", index);
    return TK_Done;
}

TK_Status BStreamFileToolkit::GetOffset(TK_Key key, int variant, int& offset, int& length,
                                        std::string* file_name) const
{
    int index = 0;
    TK_Status const status = KeyToIndex(key, index);
    if (status != TK_Done)
        return status;
    if (variant < 0)
        variant = 0;
    if (variant >= BVariantBlock::Variant_Count)
        return TK_Not_Found;
    BIndexRecord const* record = m_keys.Record(index);
    offset = length = 0;
    if (record && record->variants)
    {
        offset = record->variants->offset[variant];
        length = record->variants->length[variant];
    }
    if (file_name)
        *file_name = m_file_name;
    return TK_Done;
}

TK_Status BStreamFileToolkit::AddVariant(TK_Key key, int variant, int offset, int length)
{
    int index = 0;
    if (KeyToIndex(key, index) != TK_Done)
        return TK_Not_Found;
    return AddVariantAtIndex(index, variant, offset, length);
}

TK_Status BStreamFileToolkit::AddVariantAtIndex(int index, int variant, int offset, int length)
{
    BIndexRecord* record = m_keys.Record(index);
    if (!record)
        return TK_Not_Found;
    if (variant < 0)
        variant = 0;
    if (variant >= BVariantBlock::Variant_Count)
        return ErrorF("variant %d out of range", variant);
    if (!record->variants && (offset >= 0 || length >= 0))
        record->variants = std::make_unique<BVariantBlock>();
    if (offset >= 0)
        record->variants->offset[variant] = offset;
    if (length >= 0)
        record->variants->length[variant] = length;
    return TK_Done;
}

void BStreamFileToolkit::set_last_key(TK_Key key)
{
    m_pending_keys.assign(1, key);
}

TK_Status BStreamFileToolkit::append_last_key(TK_Key key)
{
    try
    {
        m_pending_keys.push_back(key);
    }
    catch (const std::bad_alloc&)
    {
        return Error("allocation failure in BStreamFileToolkit::append_last_key");
    }
    return TK_Done;
}

void BStreamFileToolkit::ClearLastKey()
{
    m_pending_keys.clear();
}

TK_Status BStreamFileToolkit::TagPendingKeys(int variant)
{
    for (TK_Key const key : m_pending_keys)
    {
        int index = 0;
        if (KeyToIndex(key, index) != TK_Done)
        {
            // A full buffer stops here with the key still untagged; calling again
            // after the hand-over skips the keys tagged already.
            BBaseOpcodeHandler& tag = GetOpcodeHandler(Tag_Opcode);
            TK_TRY(tag.Write(*this));
            tag.Reset();
            index = m_next_tag_index;
            TK_TRY(AddIndexKeyPair(index, key));
            ++m_next_tag_index;
        }
        if (variant == -1)
            continue;
        int const offset = Position();
        if (offset >= 0)
            TK_TRY(AddVariantAtIndex(index, variant, offset, -1));
    }
    return TK_Done;
}

// ---- pauses, bounding, references, instances

TK_Status BStreamFileToolkit::AddPauseOffset(long long offset)
{
    if (static_cast<int>(m_pauses.size()) >= Max_Pauses)
        return Error("too many pauses for one stream");
    m_pauses.push_back(static_cast<int>(std::min<long long>(offset, INT_MAX)));
    return TK_Done;
}

void BStreamFileToolkit::SetFirstPauseOffset(int offset)
{
    if (m_pauses.empty())
        m_pauses.push_back(offset);
    else
        m_pauses.front() = offset;
}

void BStreamFileToolkit::SetWorldBounding(const float box[6])
{
    if (!m_world_bounding)
        m_world_bounding = std::make_unique<std::array<float, 6>>();
    std::copy(box, box + 6, m_world_bounding->begin());
}

void BStreamFileToolkit::SetWorldBoundingBySphere(const float centre[3], float radius)
{
    float const box[6] = {centre[0] - radius, centre[1] - radius, centre[2] - radius,
                          centre[0] + radius, centre[1] + radius, centre[2] + radius};
    SetWorldBounding(box);
}

void BStreamFileToolkit::AddExternalReference(const char* name, int number)
{
    m_references.emplace_back(name ? name : "", number);
}

std::string BStreamFileToolkit::ResolveReference(const char* reference) const
{
    std::string ref = reference ? reference : "";
    if (ref.find(':') != std::string::npos || (!ref.empty() && ref[0] == '/'))
        return ref;
    std::string::size_type const slash = m_file_name.rfind('/');
    std::string base =
        slash == std::string::npos ? std::string() : m_file_name.substr(0, slash + 1);
    for (;;)
    {
        if (ref.compare(0, 2, "./") == 0)
            ref.erase(0, 2);
        else if (ref.compare(0, 3, "../") == 0)
        {
            ref.erase(0, 3);
            // base ends with '/': drop its last directory and keep the '/' before it.
            if (!base.empty())
            {
                std::string::size_type const previous = base.rfind('/', base.size() - 2);
                base.erase(previous == std::string::npos ? 0 : previous + 1);
            }
        }
        else
            break;
    }
    return base + ref;
}

void BStreamFileToolkit::AddInstance(TK_Key key, int variant, int opcode, int a, int b, int c)
{
    std::size_t const chain = static_cast<std::size_t>(((a ^ b) & 255) ^ (c & 255));
    BInstanceRecord record;
    record.key = key;
    record.variant = variant;
    record.opcode = static_cast<unsigned char>(opcode);
    record.values[0] = a;
    record.values[1] = b;
    record.values[2] = c;
    m_instances[chain].push_back(record);
}

const BInstanceRecord* BStreamFileToolkit::FindInstance(int opcode, int a, int b, int c) const
{
    auto const& chain = m_instances[static_cast<std::size_t>(((a ^ b) & 255) ^ (c & 255))];
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if (it->opcode == (opcode & 0xFF) && it->values[0] == a && it->values[1] == b &&
            it->values[2] == c)
            return &*it;
    return nullptr;
}

void BStreamFileToolkit::FreeLists()
{
    for (auto& chain : m_instances)
        chain.clear();
    m_references.clear();
}
