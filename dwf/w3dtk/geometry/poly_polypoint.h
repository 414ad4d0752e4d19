#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <cstdint>
#include <vector>

//
// Many polylines in one record (opcode 0x10): one array of x, y, z points and
// the number of points of each line.
//
// The writer leaves out what is constant: an axis that is 0 everywhere, one
// value everywhere, or one value per line is flagged in the sub-options and
// stored once (or once per line) behind the other axes' values, or not at all.
// With the Compressed sub-option the stored values are quantised against a
// box (the record's own, or the toolkit's world box with Global_Quantisation)
// and the constants ("leftovers") against their own range.
//
// Record: opcode; sub-options (u16); point count (int32); the line count
// (int32) with Has_Line_Count; the line lengths (int32 each) unless
// Single_Line (without Has_Line_Count a reader takes lengths until they add up
// to the point count); the scheme byte with Compressed; then the values: raw
// floats (scheme 4) or the box (unless Global_Quantisation), bits per axis,
// packed length and packed codes, followed by the leftovers (schemes 1, 6).
//
class TK_PolyPolypoint : public BBaseOpcodeHandler
{
public:
    enum Suboptions : int
    {
        Compressed = 0x0001,
        Has_Line_Count = 0x0002,
        Single_Line = 0x0004,
        Global_Quantisation = 0x0008,
        Caller_Options = 0x000F,
        Axis_Options = 0x3F00,
    };
    // How an axis travels: two bits per axis, x at bit 8, y at 10, z at 12.
    enum Axis_Form : int
    {
        Stored = 0,
        Zero = 1,     // every value 0
        Constant = 2, // every value the first point's
        Per_Line = 3, // every value of a line its first point's
    };
    enum Scheme : int
    {
        Quantised = 1,
        Raw = 4,
        Line_Extend = 6, // read only: codes predicted from the two before
    };
    static constexpr int Since_Version = 702;
    static constexpr int Global_Since_Version = 806;

    explicit TK_PolyPolypoint(int opcode = 0x10);

    // Written only from version 702. Refuses before anything is written
    // point and line counts that disagree, a single line that is not one, and
    // bits per axis (the toolkit's vertex bits / 3) outside 1..32.
    TK_Status Write(BStreamFileToolkit& tk) override;
    TK_Status Read(BStreamFileToolkit& tk) override;
    // Each line is one object: the key -1 is made pending once per line.
    TK_Status Execute(BStreamFileToolkit& tk) override;
    void Reset() override;

    // `count` points of three floats (null gives zeros).
    void SetPoints(int count, const float* points = nullptr);
    void SetLineLengths(int count, const int* lengths);
    // The caller's choices among Caller_Options; the writer adds the axis forms.
    void SetSubop(int options) { m_subop = options & Caller_Options; }
    // As written or read, axis forms included.
    int GetSubop() const { return m_subop; }
    static int AxisForm(int subop, int axis) { return subop >> (8 + 2 * axis) & 3; }

    int GetPointCount() const { return m_point_count; }
    // x, y, z per point. A record read keeps its points as they travel (the
    // reduced values) and expands them here on first use, so reading costs
    // memory in proportion to the stream, not to the point count it claims.
    const std::vector<float>& GetPoints() const;
    int GetLineCount() const { return static_cast<int>(m_lengths.size()); }
    const std::vector<int>& GetLineLengths() const { return m_lengths; }
    int GetScheme() const { return m_scheme; }
    int GetBitsPerAxis() const { return m_bits; }
    int GetStoredAxes() const { return m_stored_axes; }
    // The box of the stored axes: their minima, then their maxima.
    const float* GetBounding() const { return m_box; }

    // Forms line-extend (scheme 6) codes of `count` tuples of `d` values: each
    // code is predicted from the two before it (the first from 0, the second
    // from the first) and the difference is packed in bits + 1 bits. A box of
    // all zeros is computed from the values first. `packed` receives the codes,
    // `length` the bytes of every word touched.
    static TK_Status PackLineExtend(BStreamFileToolkit& tk, int count, int d, const float* values,
                                    float* box, int bits, std::vector<std::uint8_t>& packed,
                                    int& length);

private:
    // The forms of the three axes for the points and lines in hand.
    int analyse_axes() const;
    // Works out stored axes, float count and leftover count from m_subop.
    TK_Status figure_floats(BStreamFileToolkit& tk);
    void reduce();
    void expand() const;
    TK_Status prepare_write(BStreamFileToolkit& tk);
    TK_Status take_world_box(BStreamFileToolkit& tk);
    TK_Status decode_points(BStreamFileToolkit& tk);
    TK_Status decode_leftovers(BStreamFileToolkit& tk);
    TK_Status read_line_lengths(BStreamFileToolkit& tk);
    int leftover_count() const { return m_float_count - m_stored_axes * m_point_count; }

    int m_point_count = 0;
    mutable std::vector<float> m_points; // x, y, z per point
    mutable bool m_expanded = true;      // false: m_points still to be made from m_floats
    std::vector<int> m_lengths;
    int m_line_count = 0; // as read, before the lengths arrive
    int m_length_sum = 0; // reading lengths without a line count
    int m_subop = 0;
    int m_stored_axes = 3;
    int m_float_count = 0;
    std::vector<float> m_floats; // the reduced array: stored values, then leftovers
    int m_scheme = Raw;
    float m_box[6] = {0, 0, 0, 0, 0, 0};
    int m_bits = 0;
    std::vector<std::uint8_t> m_packed;
    int m_packed_length = 0;
    float m_leftover_range[2] = {0, 0};
    std::vector<std::uint8_t> m_leftover_packed;
    int m_leftover_length = 0;
};
