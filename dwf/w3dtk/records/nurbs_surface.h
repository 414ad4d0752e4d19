#pragma once

#include "dwf/w3dtk/records/spline_data.h"
#include "dwf/w3dtk/stream/opcode_handler.h"

#include <memory>
#include <vector>

//
// A trim of a NURBS surface, in the surface's (u, v) parameter space: a
// polyline, a B-spline curve, or a collection of further trims. Trims have no
// opcode: they live only inside a surface record, each written as its type
// byte, its options byte and then
//   - polyline: point count (int32) and the (u, v) points;
//   - curve: the same, then the degree (one byte) and, as the options say,
//     one weight per point and degree + count + 1 knots;
//   - collection: its trims, then a 0 byte.
// Lists of trims are singly linked, each trim owning the next.
//
class HT_NURBS_Trim : public BBaseOpcodeHandler
{
public:
    enum Type : int
    {
        Polyline = 1,
        Curve = 2,
        Collection = 3,
    };
    // A trim's own option bits (they differ from the surface's and the curve's).
    enum Options : int
    {
        Weights = 0x02,
        Knots = 0x04,
    };
    // Collections nested deeper than this are refused by writer and reader.
    static constexpr int Max_Depth = 64;

    explicit HT_NURBS_Trim(int type, int depth = 0);
    ~HT_NURBS_Trim() override;

    // Reads what follows the type byte, which the trim's parent has read.
    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    int GetType() const { return m_type; }
    void SetOptions(int options) { m_options = static_cast<unsigned char>(options); }
    int GetOptions() const { return m_options; }
    // The points of a polyline (or of a curve without weights and knots).
    void SetPoints(int count, const float* points = nullptr);
    // A curve: adds the Weights and Knots options for the arrays given.
    void SetCurve(int degree, int count, const float* points = nullptr,
                  const float* weights = nullptr, const float* knots = nullptr);
    int GetCount() const { return m_data.Count(); }
    int GetDegree() const { return m_data.Degree(); }
    const TK_Spline_Data& Data() const { return m_data; }

    // A collection's trims, in the order they travel. NewTrim appends one.
    HT_NURBS_Trim* NewTrim(int type);
    HT_NURBS_Trim* GetList() const { return m_list.get(); }
    HT_NURBS_Trim* GetNext() const { return m_next.get(); }
    int GetDepth() const { return m_depth; }

    // Checks what Write would produce: known types, counts, degrees and depth.
    TK_Status Validate(BStreamFileToolkit& tk) const;

    // Deletes a list of trims with everything below it, without recursion, so
    // no list however long or deeply nested can exhaust the stack.
    static void Release(std::unique_ptr<HT_NURBS_Trim>& head) noexcept;

private:
    friend class TK_NURBS_Surface;

    std::unique_ptr<HT_NURBS_Trim> m_next;
    int m_type;
    int m_depth; // collections above this trim
    unsigned char m_options = 0;
    TK_Spline_Data m_data{2};
    std::unique_ptr<HT_NURBS_Trim> m_list;
    HT_NURBS_Trim* m_tail = nullptr;          // last of m_list
    HT_NURBS_Trim* m_cursor = nullptr;        // writing: the sub-trim in hand
    std::unique_ptr<HT_NURBS_Trim> m_reading; // reading: the sub-trim in hand
};

//
// A rational B-spline surface: opcode 'A'. After the opcode: options (one
// byte), u and v degree (one byte each), u and v control-point counts
// (int32 each), u count x v count control points (three floats each), then as
// the options say the weights (one per control point), the u knots (u degree
// + u count + 1) and v knots, and the trims followed by a 0 byte. Readers
// before version 650 know no surfaces: the record is then left out entirely.
//
// The trims of a surface are held as a list whose head is the trim added (or
// read) last, so a surface read back writes its trims in reverse order.
//
class TK_NURBS_Surface : public BBaseOpcodeHandler
{
public:
    static constexpr int Since_Version = 650;
    enum Options : int
    {
        Weights = 0x01,
        Knots = 0x02,
        Trims = 0x04,
    };

    TK_NURBS_Surface();
    ~TK_NURBS_Surface() override;

    TK_Status Read(BStreamFileToolkit& tk) override;
    // Refuses, before anything is written, counts or degrees a record cannot
    // carry and trims nested deeper than HT_NURBS_Trim::Max_Depth.
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // Stores degrees and counts, deletes the trims, allocates every array
    // (zero-filled) and copies the ones given; adds the Weights option when
    // weights are given and Knots when either knot array is. Never clears an
    // option. Degrees or counts no record carries allocate nothing.
    void SetSurface(int u_degree, int v_degree, int u_count, int v_count,
                    const float* points = nullptr, const float* weights = nullptr,
                    const float* u_knots = nullptr, const float* v_knots = nullptr);
    // A new trim at the head of the list; the caller fills it and sets the
    // Trims option.
    HT_NURBS_Trim* NewTrim(int type);

    void SetOptions(int options) { m_options = static_cast<unsigned char>(options); }
    int GetOptions() const { return m_options; }
    int GetUDegree() const { return m_u_degree; }
    int GetVDegree() const { return m_v_degree; }
    int GetUCount() const { return m_u_count; }
    int GetVCount() const { return m_v_count; }
    // Arrays the record does not carry are empty after a read.
    const std::vector<float>& GetPoints() const { return m_points; }
    const std::vector<float>& GetWeights() const { return m_weights; }
    const std::vector<float>& GetUKnots() const { return m_u_knots; }
    const std::vector<float>& GetVKnots() const { return m_v_knots; }
    HT_NURBS_Trim* GetTrims() const { return m_trims.get(); }

private:
    void clear_trims();
    int control_points() const { return m_u_count * m_v_count; }

    unsigned char m_options = 0;
    int m_u_degree = 0;
    int m_v_degree = 0;
    int m_u_count = 0;
    int m_v_count = 0;
    std::vector<float> m_points;
    std::vector<float> m_weights;
    std::vector<float> m_u_knots;
    std::vector<float> m_v_knots;
    std::unique_ptr<HT_NURBS_Trim> m_trims;
    HT_NURBS_Trim* m_in_hand = nullptr; // writing: the cursor; reading: the trim being read
};
