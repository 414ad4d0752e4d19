#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>
#include <vector>

// Application data the stream carries without interpreting it. Counts and
// sizes read above 2^24 or below 0 are refused, and a writer refuses what a
// reader would.

// Pairs of user indices and values: opcode 'n', the count (int32), the
// indices, the values (int32 each).
class TK_User_Index : public BBaseOpcodeHandler
{
public:
    TK_User_Index();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Frees both arrays.
    void Reset() override;

    // Copies `count` indices and values (zeros for a null array).
    void SetIndices(int count, const int* indices, const int* values);
    int GetCount() const { return static_cast<int>(m_indices.size()); }
    const std::vector<int>& GetIndices() const { return m_indices; }
    const std::vector<int>& GetValues() const { return m_values; }

private:
    std::vector<int> m_indices;
    std::vector<int> m_values;
    int m_count = 0; // the count read, kept across a pending read
};

// One user value: opcode 'v', an int32.
class TK_User_Value : public BBaseOpcodeHandler
{
public:
    TK_User_Value();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetValue(int value) { m_value = value; }
    int GetValue() const { return m_value; }

private:
    int m_value = 0;
};

// A block of user bytes: opcode '[', the size (int32), the bytes, and the
// closing byte ']'. Not an object of the stream (it adds nothing to the
// object count), and executing it does nothing.
class TK_User_Data : public BBaseOpcodeHandler
{
public:
    static constexpr unsigned char Stop_Opcode = ']';

    TK_User_Data();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    TK_Status Execute(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetUserData(const char* bytes, int size);
    const std::string& GetUserData() const { return m_data; }
    int GetSize() const { return static_cast<int>(m_data.size()); }

private:
    std::string m_data;
    int m_size = 0;
};

// XML text: opcode 0x18, the size (int32), the text; written only into
// streams of version 705 or newer. Not an object; executing it does nothing.
class TK_XML : public BBaseOpcodeHandler
{
public:
    static constexpr int First_Version = 705;

    TK_XML();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    TK_Status Execute(BStreamFileToolkit& tk) override;
    void Reset() override;

    void SetXML(const char* text, int size);
    void SetXML(const char* text);
    const std::string& GetXML() const { return m_text; }
    int GetSize() const { return static_cast<int>(m_text.size()); }

private:
    std::string m_text;
    int m_size = 0;
};
