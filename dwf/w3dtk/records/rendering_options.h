#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <cstdint>

// A segment's rendering options ('R'). Two mask words say which options the
// record sets and two value words give their on/off values; a long series of
// optional fields follows, each present only under its combination of bits.
// The fields are opaque to this system: it carries them. Whoever fills the
// handler sets the fields directly.
//
// Bit 31 of mask word 0 announces the second mask and value words; the
// writer keeps it consistent with the second mask word for the target
// version. Lists hold at most List_Capacity entries; a longer list is refused
// by the writer before the opcode and by the reader. The 16-bit fields that
// travel as one or two bytes (the selector and the sub-mask and sub-value of
// block 0x18000000) are written with their "high byte follows" bit 0x80 set
// whenever their high byte is used, so no bit is lost.
class TK_Rendering_Options : public BBaseOpcodeHandler
{
public:
    using Value = std::uint32_t; // four bytes carried exactly as held
    static constexpr int List_Capacity = 8;
    // Byte T4 exists in streams from this version on; older ones read it as 2.
    static constexpr int T4_Since_Version = 908;
    static constexpr unsigned char T4_Default = 2;

    TK_Rendering_Options();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // ---- the fields, named by the bit that carries them
    std::uint32_t mask[2] = {0, 0};
    std::uint32_t value[2] = {0, 0};
    unsigned char selector_a = 0; // mask word 0 & 0x00003000
    unsigned char selector_b = 0; // mask word 0 & 0x000C0000
    Value w17 = 0;
    Value w21 = 0;
    Value w22[2] = {0, 0};
    Value w30 = 0;

    struct Block_P // bit 0x00100000
    {
        std::uint32_t sub_mask = 0, sub_value = 0;
        Value p1 = 0, p2 = 0, p3 = 0, p4 = 0;
    } p;

    struct Block_Q // bit 0x00800000
    {
        unsigned char sub_mask = 0, sub_value = 0;
        Value q1 = 0;
    } q;

    struct Block_S // bit 0x01000000
    {
        std::uint16_t selector = 0;
        Value s1 = 0, s2 = 0, s3 = 0;
    } s;

    struct Value_List
    {
        int count = 0;
        Value values[List_Capacity] = {};
    };

    struct Block_T // bit 0x04000000
    {
        std::uint32_t sub_mask = 0, sub_value = 0;
        unsigned char t1 = 0;
        Value_List t2, t3;
        unsigned char t4 = 0;
        Value t7 = 0;
        unsigned char t5 = 0, t6 = 0;
        Value t8 = 0;
        Value t9[6] = {};
        Value_List t10;
        unsigned char t11 = 0, t12 = 0;
    } t;

    struct Block_H // bits 0x18000000
    {
        std::uint16_t sub_mask = 0, sub_value = 0;
        Value h[8] = {}; // H1 .. H8
    } h;

    struct Block_U // mask word 1
    {
        unsigned char u1 = 0;
        int u2_count = 0;
        unsigned char u2[List_Capacity] = {};
        unsigned char u3 = 0, u4 = 0, u5 = 0;
        Value u6 = 0;
        Value u7[2] = {0, 0};
    } u;

    // The number of rows of the record (after the opcode); each is one stage.
    static constexpr int Rows = 61;

    // The words the writer tests, adjusted to a target version (the reader
    // tests the words as read).
    struct Words
    {
        std::uint32_t mask0 = 0, mask1 = 0;
        std::uint16_t h_sub_mask = 0;
        int version = 0;
    };
    Words WrittenWords(int target_version) const;

private:
    struct Row;
    Row row(int number, const Words& words, bool reading);

    Words m_written; // the words of the record being written
};
