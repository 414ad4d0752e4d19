#pragma once

#include "dwf/w3dtk/stream/controlled_memory.h"
#include "dwf/w3dtk/stream/data_accumulator.h"
#include "dwf/w3dtk/stream/key_table.h"
#include "dwf/w3dtk/stream/status.h"

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace DWFCore
{
class DWFInputStream;
}

class BBaseOpcodeHandler;

// Write flags: how records are encoded.
enum : int
{
    TK_Option_Informational = 0x0002,       // only carried in the file-info record
    TK_Option_Raw_Points = 0x0004,          // shells do not quantise their points
    TK_Option_Raw_Normals = 0x0008,         // normals are written unquantised
    TK_Option_Bounding_Shells = 0x0010,     // shells may be written as bounding-only records
    TK_Option_Tag_All = 0x0020,             // every keyed record is tagged after it is written
    TK_Option_No_Instances = 0x0200,        // shells and meshes are not entered as instances
    TK_Option_Dictionary = 0x0400,          // the stream ends with a dictionary
    TK_Option_Connectivity = 0x0800,        // shells ask for connectivity compression
    TK_Option_Plain_Faces = 0x1000,         // shells keep plain faces, not triangle strips
    TK_Option_Global_Quantisation = 0x4000, // shells quantise against the world bounding box
};

// Read flags.
enum : int
{
    TK_Read_Strict_Execute = 0x1, // a handler without its own Execute is an error
    TK_Read_Newer_Versions = 0x2, // streams of a version above the current one are accepted
};

// Log options.
enum : int
{
    TK_Log_Counts = 0x1,  // opcode lines start with the running record count
    TK_Log_Details = 0x2, // tags, instances and shells log what they assign
};

// An entry of the instance records: an object already written whose shape may
// be repeated.
struct BInstanceRecord
{
    TK_Key key = 0;
    int variant = 0;
    unsigned char opcode = 0;
    int values[3] = {};
};

//
// The state of one W3D stream: the buffer (with its overflow area and optional
// compression), the table of one handler per opcode byte, the settings that
// choose how records are encoded, the key table, the pending keys of the record
// in hand, the pause offsets, the debug log and the file or input stream a
// stream is read from. Handlers read and write their records through it.
//
class BStreamFileToolkit : public BControlledMemoryObject
{
public:
    static constexpr int Current_Version = 1000;
    static constexpr int Default_Jpeg_Quality = 75;
    static constexpr int Max_Pauses = 0xFFFF; // the dictionary stores the count in 16 bits

    BStreamFileToolkit();
    virtual ~BStreamFileToolkit();

    BStreamFileToolkit(const BStreamFileToolkit&) = delete;
    BStreamFileToolkit& operator=(const BStreamFileToolkit&) = delete;

    // Returns to the state before a stream, keeping write and read flags, log
    // options, bit counts and dictionary settings.
    virtual void Restart();

    // ---- files and input streams
    virtual TK_Status OpenFile(const char* name, bool write = false);
    // Later reads, positioning and size queries use `stream` instead of a file.
    virtual TK_Status AttachStream(DWFCore::DWFInputStream* stream);
    virtual TK_Status DetachStream();
    virtual TK_Status CloseFile();
    virtual TK_Status ReadBuffer(char* buffer, int size, int& amount);
    virtual TK_Status WriteBuffer(const char* buffer, int size);
    // A negative offset counts from the end, others from the start.
    virtual TK_Status PositionFile(int offset);
    virtual TK_Status QueryFileSize(long& size);
    // Positions the input at the dictionary a stream ends with.
    virtual TK_Status LocateDictionary();
    // Positions the input at a recorded variant of a key's object.
    virtual TK_Status LocateEntity(TK_Key key, int variant);

    // The one report path of the toolkit and its handlers: remembers the
    // message, writes it to the log when logging (which then stops) and answers
    // TK_Error.
    virtual TK_Status Error(const char* message = nullptr);
    TK_Status ErrorF(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The message of the last Error ("" when none was given).
    const std::string& LastError() const { return m_last_error; }
    void ClearLastError() { m_last_error.clear(); }

    // Gives each pending key without an index a tag record and the next tag
    // index; with a variant other than -1 also records the key's position.
    virtual TK_Status TagPendingKeys(int variant = -1);
    // Empties the instance records and the external references.
    virtual void FreeLists();

    // ---- the buffer
    // Makes `buffer` the current output or input buffer. Writing: the bytes
    // waiting in the overflow area move in first; TK_Pending when they fill it.
    TK_Status PrepareBuffer(char* buffer, int size);
    int CurrentBufferLength() const
    {
        return m_accumulator.buffer_size() - m_accumulator.bytes_left();
    }
    int BytesLeft() const { return m_accumulator.bytes_left(); }
    long long TotalBytes() const { return m_accumulator.total(); }
    BStreamDataAccumulator& Accumulator() { return m_accumulator; }
    const BStreamDataAccumulator& Accumulator() const { return m_accumulator; }

    // ---- handlers
    BBaseOpcodeHandler& GetOpcodeHandler(int opcode) const { return *m_handlers[opcode & 0xFF]; }
    // Replaces the handler of an opcode (the toolkit owns it from then on).
    void SetOpcodeHandler(int opcode, std::unique_ptr<BBaseOpcodeHandler> handler);
    BBaseOpcodeHandler& GetDefaultHandler() const { return *m_default; }
    BBaseOpcodeHandler& GetCurrentHandler() const { return *m_current; }
    void SetCurrentHandler(BBaseOpcodeHandler& handler) { m_current = &handler; }

    // ---- keys and indices
    TK_Status KeyToIndex(TK_Key key, int& index) const { return m_keys.KeyToIndex(key, index); }
    TK_Status IndexToKey(int index, TK_Key& key) const;
    TK_Status AddIndexKeyPair(int index, TK_Key key);
    TK_Status GetOffset(TK_Key key, int variant, int& offset, int& length,
                        std::string* file_name = nullptr) const;
    TK_Status AddVariant(TK_Key key, int variant, int offset, int length);
    // The same for the object at a stream index (the dictionary reader's way,
    // since indices read back carry no application key).
    TK_Status AddVariantAtIndex(int index, int variant, int offset, int length);
    const BStreamKeyTable& KeyTable() const { return m_keys; }
    BStreamKeyTable& KeyTable() { return m_keys; }
    int NextTagIndex() const { return m_next_tag_index; }
    int TakeNextTagIndex() { return m_next_tag_index++; }

    void set_last_key(TK_Key key);
    TK_Status append_last_key(TK_Key key);
    void ClearLastKey();
    const std::vector<TK_Key>& PendingKeys() const { return m_pending_keys; }

    // The stream offset recorded for tagged variants: the sum of the two
    // position words (nothing in this system advances them).
    int Position() const { return m_position[0] + m_position[1]; }

    // ---- pauses, bounding, references, instances
    TK_Status AddPauseOffset(long long offset);
    void SetFirstPauseOffset(int offset);
    void SetPauseOffsets(std::vector<int> offsets) { m_pauses = std::move(offsets); }
    const std::vector<int>& PauseOffsets() const { return m_pauses; }

    void SetWorldBounding(const float box[6]);
    void SetWorldBoundingBySphere(const float centre[3], float radius);
    // Null until a box was set.
    const float* GetWorldBounding() const
    {
        return m_world_bounding ? m_world_bounding->data() : nullptr;
    }

    void AddExternalReference(const char* name, int number);
    const std::vector<std::pair<std::string, int>>& ExternalReferences() const
    {
        return m_references;
    }
    // A reference as it is to be recorded: absolute ones (with ":" or a leading
    // "/") unchanged, others resolved against the current file's directory.
    std::string ResolveReference(const char* reference) const;

    void AddInstance(TK_Key key, int variant, int opcode, int a, int b, int c);
    // The newest instance of `opcode` with these values, or null.
    const BInstanceRecord* FindInstance(int opcode, int a, int b, int c) const;

    // ---- settings
    void SetTargetVersion(int version) { m_target_version = version; }
    int GetTargetVersion() const { return m_target_version; }
    void SetReadVersion(int version) { m_read_version = version; }
    int GetReadVersion() const { return m_read_version; }
    void SetHeaderFlag(bool done) { m_header_flag = done; }
    bool GetHeaderFlag() const { return m_header_flag; }
    void SetWriteFlags(int flags) { m_write_flags = flags; }
    int GetWriteFlags() const { return m_write_flags; }
    bool GetWriteFlag(int bits) const { return (m_write_flags & bits) != 0; }
    void SetReadFlags(int flags) { m_read_flags = flags; }
    int GetReadFlags() const { return m_read_flags; }
    void SetNumNormalBits(int bits) { m_normal_bits = bits; }
    int GetNumNormalBits() const { return m_normal_bits; }
    void SetNumVertexBits(int bits) { m_vertex_bits = bits; }
    int GetNumVertexBits() const { return m_vertex_bits; }
    void SetNumParameterBits(int bits) { m_parameter_bits = bits; }
    int GetNumParameterBits() const { return m_parameter_bits; }
    void SetNumColorBits(int bits) { m_color_bits = bits; }
    int GetNumColorBits() const { return m_color_bits; }
    void SetNumIndexBits(int bits) { m_index_bits = bits; }
    int GetNumIndexBits() const { return m_index_bits; }
    void SetJpegQuality(int quality) { m_jpeg_quality = quality; }
    int GetJpegQuality() const { return m_jpeg_quality; }
    void SetDictionaryFormat(int format) { m_dictionary_format = format; }
    int GetDictionaryFormat() const { return m_dictionary_format; }
    void SetDictionaryOptions(int options) { m_dictionary_options = options; }
    int GetDictionaryOptions() const { return m_dictionary_options; }

    // ---- counters
    int GetObjectCount() const { return m_object_count; }
    void AddObjects(int count) { m_object_count += count; }
    int GetOpcodeCount() const { return m_opcode_count; }
    void CountOpcode() { ++m_opcode_count; }
    int GetPauseCount() const { return m_pause_count; }
    void CountPause() { ++m_pause_count; }
    int GetSegmentDepth() const { return m_segment_depth; }
    void AdjustSegmentDepth(int delta) { m_segment_depth += delta; }

    // ---- the debug log
    // Turning logging on opens the log file named by SetLogFile when it is not open.
    void SetLogging(bool on);
    bool GetLogging() const { return m_logging; }
    void SetLoggingOptions(int options) { m_log_options = options; }
    int GetLoggingOptions() const { return m_log_options; }
    void SetLogFile(const char* name);
    const std::string& GetLogFile() const { return m_log_name; }
    TK_Status LogEntry(const char* text);
    // Writes the opcode line of a record read or written.
    void LogOpcode(int opcode);

    const std::string& CurrentFileName() const { return m_file_name; }

private:
    void install_handlers();
    void close_log();

    BStreamDataAccumulator m_accumulator;
    BStreamKeyTable m_keys;
    std::array<std::unique_ptr<BBaseOpcodeHandler>, 256> m_handlers;
    std::unique_ptr<BBaseOpcodeHandler> m_default;
    BBaseOpcodeHandler* m_current = nullptr;

    std::vector<TK_Key> m_pending_keys;
    int m_next_tag_index = 0;
    int m_position[2] = {0, 0};

    int m_write_flags = 0;
    int m_read_flags = 0;
    int m_target_version = Current_Version;
    int m_read_version = 0;
    bool m_header_flag = false;
    int m_normal_bits = 10;
    int m_vertex_bits = 24;
    int m_parameter_bits = 24;
    int m_color_bits = 24;
    int m_index_bits = 8;
    int m_jpeg_quality = Default_Jpeg_Quality;
    int m_dictionary_format = 2;
    int m_dictionary_options = 1;

    int m_object_count = 0;
    int m_opcode_count = 0;
    int m_pause_count = 0;
    int m_segment_depth = 0;

    std::string m_log_name;
    std::FILE* m_log_file = nullptr;
    bool m_logging = false;
    int m_log_options = 0;
    int m_log_column = 0;

    std::vector<int> m_pauses;
    std::unique_ptr<std::array<float, 6>> m_world_bounding;
    std::vector<std::pair<std::string, int>> m_references;
    std::array<std::vector<BInstanceRecord>, 256> m_instances;

    std::string m_file_name;
    std::FILE* m_file = nullptr;
    DWFCore::DWFInputStream* m_stream = nullptr;

    std::string m_last_error;
};
