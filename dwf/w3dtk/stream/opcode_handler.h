#pragma once

#include "dwf/w3dtk/stream/controlled_memory.h"
#include "dwf/w3dtk/stream/status.h"

#include <cstddef>
#include <cstdint>
#include <string>

class BStreamFileToolkit;
class BBaseOpcodeHandler;

// Returns from the calling Read or Write with the status of `expression` unless
// it is TK_Done. A step of a stage machine is
//     case 3: TK_TRY(PutData(tk, m_value)); ++m_stage; [[fallthrough]];
// so a step either completes and the next one follows, or the handler returns
// with its stage unchanged and the same step runs again on the next call.
#define TK_TRY(expression)                                                                         \
    do                                                                                             \
    {                                                                                              \
        TK_Status const tk_try_status_ = (expression);                                             \
        if (tk_try_status_ != TK_Done)                                                             \
            return tk_try_status_;                                                                 \
    } while (false)

// What an observer sees of a handler: something that can be serialized.
class W3DOpcodeHandler
{
public:
    virtual ~W3DOpcodeHandler() = default;
    virtual void serialize(TK_Key key = 0) = 0;
};

// Receives every record a client serializes: the stream writer.
class BaseOpcodeHandlerObserver
{
public:
    virtual ~BaseOpcodeHandlerObserver() = default;
    virtual void notify(BBaseOpcodeHandler& handler, TK_Key key) = 0;
};

//
// Base of every record handler. A handler holds the fields of one record; a
// client fills it and calls serialize, the toolkit reads into it and executes it.
//
// Read and Write are resumable stage machines: m_stage is the step to run
// next (0 before the record, -1 when it is complete), m_progress the position
// inside a step (an element counter or a sub-step). When a primitive answers
// TK_Pending the handler returns it at once with stage and progress unchanged;
// the caller hands the buffer over (writing) or supplies more input (reading)
// and calls the same Read or Write again. The toolkit's buffer accepts a whole
// write once any room is left, so a write step either completes or writes
// nothing; a read step either gets all its bytes or takes none.
//
class BBaseOpcodeHandler : public BControlledMemoryObject, public W3DOpcodeHandler
{
public:
    // Counts read from a stream above this are refused, as are negative ones.
    static constexpr int Max_Count = 1 << 24;
    // Longest name a record can carry behind an unsigned, or a signed, length byte.
    static constexpr int Max_Name_Length = 255;
    static constexpr int Max_Signed_Name_Length = 127;

    explicit BBaseOpcodeHandler(int opcode);
    ~BBaseOpcodeHandler() override;

    BBaseOpcodeHandler(const BBaseOpcodeHandler&) = delete;
    BBaseOpcodeHandler& operator=(const BBaseOpcodeHandler&) = delete;

    // Hands this handler and the key to the observer, which writes the record
    // and resets the handler; nothing happens without an observer.
    void serialize(TK_Key key = 0) override;

    virtual TK_Status Read(BStreamFileToolkit& tk) = 0;
    virtual TK_Status Write(BStreamFileToolkit& tk) = 0;
    // Applies a record just read. The base clears the toolkit's pending keys and
    // succeeds, unless the toolkit's read flags ask for strictness.
    virtual TK_Status Execute(BStreamFileToolkit& tk);
    virtual TK_Status Interpret(BStreamFileToolkit& tk, TK_Key key, const char* special);
    virtual TK_Status Interpret(BStreamFileToolkit& tk, TK_Key key, int variant = 0);
    // Makes the handler ready for its next record. Subclasses free what their
    // fields own, restore their constructor values and call the base.
    virtual void Reset();
    // Handlers cannot be copied through this; always an error.
    virtual TK_Status Clone(BStreamFileToolkit& tk, BBaseOpcodeHandler** handler) const;

    unsigned char Opcode() const { return m_opcode; }
    int Stage() const { return m_stage; }
    int Progress() const { return m_progress; }

    void SetObserver(BaseOpcodeHandlerObserver* observer) { m_observer = observer; }
    BaseOpcodeHandlerObserver* Observer() const { return m_observer; }

    // Text this handler adds to the toolkit's debug log.
    const std::string& LogText() const { return m_log_text; }
    void SetLogText(const std::string& text) { m_log_text = text; }

    // ---- primitives: every record byte passes through these, little-endian,
    // floats as IEEE single precision, arrays element after element.
    static TK_Status PutData(BStreamFileToolkit& tk, const void* bytes, int size);
    static TK_Status PutData(BStreamFileToolkit& tk, char value);
    static TK_Status PutData(BStreamFileToolkit& tk, unsigned char value);
    static TK_Status PutData(BStreamFileToolkit& tk, short value);
    static TK_Status PutData(BStreamFileToolkit& tk, unsigned short value);
    static TK_Status PutData(BStreamFileToolkit& tk, int value);
    static TK_Status PutData(BStreamFileToolkit& tk, unsigned int value);
    static TK_Status PutData(BStreamFileToolkit& tk, float value);
    static TK_Status PutData(BStreamFileToolkit& tk, const short* values, int count);
    static TK_Status PutData(BStreamFileToolkit& tk, const unsigned short* values, int count);
    static TK_Status PutData(BStreamFileToolkit& tk, const int* values, int count);
    static TK_Status PutData(BStreamFileToolkit& tk, const unsigned int* values, int count);
    static TK_Status PutData(BStreamFileToolkit& tk, const float* values, int count);

    static TK_Status GetData(BStreamFileToolkit& tk, void* bytes, int size);
    static TK_Status GetData(BStreamFileToolkit& tk, char& value);
    static TK_Status GetData(BStreamFileToolkit& tk, unsigned char& value);
    static TK_Status GetData(BStreamFileToolkit& tk, short& value);
    static TK_Status GetData(BStreamFileToolkit& tk, unsigned short& value);
    static TK_Status GetData(BStreamFileToolkit& tk, int& value);
    static TK_Status GetData(BStreamFileToolkit& tk, unsigned int& value);
    static TK_Status GetData(BStreamFileToolkit& tk, float& value);
    static TK_Status GetData(BStreamFileToolkit& tk, short* values, int count);
    static TK_Status GetData(BStreamFileToolkit& tk, unsigned short* values, int count);
    static TK_Status GetData(BStreamFileToolkit& tk, int* values, int count);
    static TK_Status GetData(BStreamFileToolkit& tk, unsigned int* values, int count);
    static TK_Status GetData(BStreamFileToolkit& tk, float* values, int count);

    // ---- colours
    // Each float in 0..1 becomes trunc(value * 255.999); values outside are
    // clamped and NaN becomes 0, so no input wraps around.
    static void floats_to_bytes(const float* values, int count, unsigned char* bytes);
    // Each byte becomes byte / 255.
    static void bytes_to_floats(const unsigned char* bytes, int count, float* values);
    // True when 0 <= value <= limit.
    static bool validate_count(int value, int limit = Max_Count)
    {
        return value >= 0 && value <= limit;
    }

    // ---- counts read from a stream: each answers TK_Done or reports `message`
    // through the toolkit's Error (TK_Error).
    // 0 <= count <= limit.
    static TK_Status CheckCount(BStreamFileToolkit& tk, int count, const char* message,
                                int limit = Max_Count);
    // Reads an int and checks it as CheckCount does; a refused count is not
    // kept (`count` holds what it held before).
    static TK_Status GetCheckedCount(BStreamFileToolkit& tk, int& count, const char* message,
                                     int limit = Max_Count);
    // 0 <= a, b <= limit each, and a * b <= limit; the product in `product`.
    static TK_Status CheckProduct(BStreamFileToolkit& tk, int a, int b, int& product,
                                  const char* message, int limit = Max_Count);
    // 0 <= addend and total + addend <= limit; the new total in `total`. For lists of
    // lengths that must add up to a count read before them.
    static TK_Status CheckSum(BStreamFileToolkit& tk, int& total, int addend, const char* message,
                              int limit = Max_Count);

    // ---- names behind a one-byte length
    // Refuses (TK_Error, naming `what`) a name longer than `limit` bytes. Writers
    // call it in stage 0, before the opcode, so a refused record leaves no byte.
    static TK_Status CheckNameLength(BStreamFileToolkit& tk, std::size_t length, const char* what,
                                     int limit = Max_Name_Length);
    // Writes the length byte of a name that CheckNameLength accepted.
    static TK_Status PutNameLength(BStreamFileToolkit& tk, std::size_t length);
    // Reads a length byte: unsigned (0..255), or signed when the record's format
    // says so, in which case a negative length is refused.
    static TK_Status GetNameLength(BStreamFileToolkit& tk, int& length, bool signed_byte = false);

protected:
    // Writes this handler's opcode byte; on success counts the record (and
    // `objects` objects) and logs it.
    TK_Status PutOpcode(BStreamFileToolkit& tk, int objects = 1);

    // The two steps of a name behind a one-byte length, as stages `first` (the
    // length, which CheckNameLength accepted) and `first + 1` (the bytes) of
    // the caller's stage machine; entered at either, and m_stage is `first + 2`
    // when both are done. A name not `present` in the record skips both.
    //     case 3:
    //     case 4: TK_TRY(PutNameSteps(tk, m_name, 3)); [[fallthrough]];
    TK_Status PutNameSteps(BStreamFileToolkit& tk, const std::string& name, int first,
                           bool present = true);
    // Reads them: the length sizes `name`, the bytes fill it.
    TK_Status GetNameSteps(BStreamFileToolkit& tk, std::string& name, int first,
                           bool present = true);

    int m_stage = 0;
    int m_progress = 0;
    unsigned char m_opcode;

private:
    BaseOpcodeHandlerObserver* m_observer = nullptr;
    std::string m_log_text;
};
