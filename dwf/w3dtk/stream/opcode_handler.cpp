#include "dwf/w3dtk/stream/opcode_handler.h"

#include "dwf/w3dtk/stream/opcode_names.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

namespace
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool Host_Little_Endian = false;
#else
constexpr bool Host_Little_Endian = true;
#endif

template <class T> T swap_bytes(T value)
{
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T) / 2; ++i)
    {
        unsigned char const t = bytes[i];
        bytes[i] = bytes[sizeof(T) - 1 - i];
        bytes[sizeof(T) - 1 - i] = t;
    }
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

// Writes `count` values as little-endian bytes, in one write.
template <class T> TK_Status put_values(BStreamFileToolkit& tk, const T* values, int count)
{
    if (count < 0 || count > INT_MAX / static_cast<int>(sizeof(T)) || (count > 0 && !values))
        return tk.Error("bad array size");
    int const bytes = count * static_cast<int>(sizeof(T));
    TK_Status status;
    if (Host_Little_Endian || sizeof(T) == 1)
        status = tk.Accumulator().write(reinterpret_cast<const char*>(values), bytes);
    else
    {
        std::vector<T> swapped(values, values + count);
        for (T& value : swapped)
            value = swap_bytes(value);
        status = tk.Accumulator().write(reinterpret_cast<const char*>(swapped.data()), bytes);
    }
    if (status == TK_Error)
        return tk.Error("compression failure");
    return status;
}

template <class T> TK_Status get_values(BStreamFileToolkit& tk, T* values, int count)
{
    if (count < 0 || count > INT_MAX / static_cast<int>(sizeof(T)) || (count > 0 && !values))
        return tk.Error("bad array size");
    TK_Status const status =
        tk.Accumulator().read(reinterpret_cast<char*>(values), count * static_cast<int>(sizeof(T)));
    if (status == TK_Error)
        return tk.Error("corrupt compressed data");
    if (status == TK_Done && !Host_Little_Endian && sizeof(T) > 1)
        for (int i = 0; i < count; ++i)
            values[i] = swap_bytes(values[i]);
    return status;
}
} // namespace

BBaseOpcodeHandler::BBaseOpcodeHandler(int opcode) : m_opcode(static_cast<unsigned char>(opcode)) {}

BBaseOpcodeHandler::~BBaseOpcodeHandler() = default;

void BBaseOpcodeHandler::serialize(TK_Key key)
{
    if (m_observer)
        m_observer->notify(*this, key);
}

TK_Status BBaseOpcodeHandler::Execute(BStreamFileToolkit& tk)
{
    tk.ClearLastKey();
    if (tk.GetReadFlags() & TK_Read_Strict_Execute)
        return tk.ErrorF("Execute function not implemented for opcode %s",
                         TK_Opcode_Text(m_opcode).c_str());
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::Interpret(BStreamFileToolkit& tk, TK_Key, const char*)
{
    return tk.ErrorF("Interpret(string) function not implemented for opcode %s",
                     TK_Opcode_Text(m_opcode).c_str());
}

TK_Status BBaseOpcodeHandler::Interpret(BStreamFileToolkit& tk, TK_Key, int)
{
    return tk.ErrorF("Interpret function not implemented for opcode %s",
                     TK_Opcode_Text(m_opcode).c_str());
}

void BBaseOpcodeHandler::Reset()
{
    m_stage = 0;
    m_progress = 0;
    m_log_text.clear();
}

TK_Status BBaseOpcodeHandler::Clone(BStreamFileToolkit& tk, BBaseOpcodeHandler** handler) const
{
    if (handler)
        *handler = nullptr;
    return tk.Error();
}

TK_Status BBaseOpcodeHandler::PutOpcode(BStreamFileToolkit& tk, int objects)
{
    TK_TRY(PutData(tk, m_opcode));
    tk.AddObjects(objects);
    tk.CountOpcode();
    tk.LogOpcode(m_opcode);
    return TK_Done;
}

// ---- primitives

TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, const void* bytes, int size)
{
    return put_values(tk, static_cast<const unsigned char*>(bytes), size);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, char value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, unsigned char value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, short value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, unsigned short value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, int value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, unsigned int value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, float value)
{
    return put_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, const short* values, int count)
{
    return put_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, const unsigned short* values,
                                      int count)
{
    return put_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, const int* values, int count)
{
    return put_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, const unsigned int* values, int count)
{
    return put_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::PutData(BStreamFileToolkit& tk, const float* values, int count)
{
    return put_values(tk, values, count);
}

TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, void* bytes, int size)
{
    return get_values(tk, static_cast<unsigned char*>(bytes), size);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, char& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, unsigned char& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, short& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, unsigned short& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, int& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, unsigned int& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, float& value)
{
    return get_values(tk, &value, 1);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, short* values, int count)
{
    return get_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, unsigned short* values, int count)
{
    return get_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, int* values, int count)
{
    return get_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, unsigned int* values, int count)
{
    return get_values(tk, values, count);
}
TK_Status BBaseOpcodeHandler::GetData(BStreamFileToolkit& tk, float* values, int count)
{
    return get_values(tk, values, count);
}

// ---- colours

void BBaseOpcodeHandler::floats_to_bytes(const float* values, int count, unsigned char* bytes)
{
    for (int i = 0; i < count; ++i)
    {
        float const v = values[i];
        if (!(v > 0.0f)) // also NaN
            bytes[i] = 0;
        else if (v >= 1.0f)
            bytes[i] = 255;
        else
            bytes[i] = static_cast<unsigned char>(v * 255.999f);
    }
}

void BBaseOpcodeHandler::bytes_to_floats(const unsigned char* bytes, int count, float* values)
{
    for (int i = 0; i < count; ++i)
        values[i] = static_cast<float>(bytes[i]) * 0.003921569f;
}

// ---- counts

TK_Status BBaseOpcodeHandler::CheckCount(BStreamFileToolkit& tk, int count, const char* message,
                                         int limit)
{
    if (!validate_count(count, limit))
        return tk.Error(message);
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::GetCheckedCount(BStreamFileToolkit& tk, int& count,
                                              const char* message, int limit)
{
    int value = 0;
    TK_TRY(GetData(tk, value));
    TK_TRY(CheckCount(tk, value, message, limit));
    count = value;
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::CheckProduct(BStreamFileToolkit& tk, int a, int b, int& product,
                                           const char* message, int limit)
{
    // Each factor on its own too: with the other 0 the product says nothing,
    // and callers go on to add to the factors (degree + count + 1 and the like).
    long long const p = static_cast<long long>(a) * b;
    if (!validate_count(a, limit) || !validate_count(b, limit) || p > limit)
        return tk.Error(message);
    product = static_cast<int>(p);
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::CheckSum(BStreamFileToolkit& tk, int& total, int addend,
                                       const char* message, int limit)
{
    long long const sum = static_cast<long long>(total) + addend;
    if (addend < 0 || sum > limit)
        return tk.Error(message);
    total = static_cast<int>(sum);
    return TK_Done;
}

// ---- names

TK_Status BBaseOpcodeHandler::CheckNameLength(BStreamFileToolkit& tk, std::size_t length,
                                              const char* what, int limit)
{
    if (length > static_cast<std::size_t>(limit))
        return tk.ErrorF("%s of %zu bytes is longer than the %d bytes a record can hold",
                         what ? what : "name", length, limit);
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::PutNameLength(BStreamFileToolkit& tk, std::size_t length)
{
    if (length > static_cast<std::size_t>(Max_Name_Length))
        return tk.Error("name too long for its length byte");
    return PutData(tk, static_cast<unsigned char>(length));
}

TK_Status BBaseOpcodeHandler::GetNameLength(BStreamFileToolkit& tk, int& length, bool signed_byte)
{
    unsigned char byte = 0;
    TK_TRY(GetData(tk, byte));
    if (signed_byte && byte > Max_Signed_Name_Length)
        return tk.Error("negative name length");
    length = byte;
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::PutNameSteps(BStreamFileToolkit& tk, const std::string& name,
                                           int first, bool present)
{
    if (present)
    {
        if (m_stage == first)
        {
            TK_TRY(PutNameLength(tk, name.size()));
            ++m_stage;
        }
        TK_TRY(PutData(tk, name.data(), static_cast<int>(name.size())));
    }
    m_stage = first + 2;
    return TK_Done;
}

TK_Status BBaseOpcodeHandler::GetNameSteps(BStreamFileToolkit& tk, std::string& name, int first,
                                           bool present)
{
    if (present)
    {
        if (m_stage == first)
        {
            int length = 0;
            TK_TRY(GetNameLength(tk, length));
            name.assign(static_cast<std::size_t>(length), '\0');
            ++m_stage;
        }
        TK_TRY(GetData(tk, &name[0], static_cast<int>(name.size())));
    }
    m_stage = first + 2;
    return TK_Done;
}
