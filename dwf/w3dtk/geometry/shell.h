#pragma once

#include "dwf/w3dtk/geometry/polyhedron.h"

#include <cstdint>
#include <vector>

//
// Opcode 'S': a polygonal surface given as points, a face list and optional
// per-vertex and per-face attributes; the record through which the
// tessellated faces of parts and assemblies reach the stream.
//
// Face list: runs of an entry n > 0 (a face of n vertices) or -n (a hole of
// n vertices, not counted as a face) followed by n point indices; with
// sub-option bit Subop_Triangle_Strips, runs of strips of n indices (n - 2
// triangles each).
//
// The record: opcode; sub-option byte; the second sub-option word when bit
// 0x80 is set; the key's index unless bit 0x10 is set; the level; then the
// points and faces in one of three forms:
//   scheme 1: points quantised against a box (the polyhedron's point record),
//             then the packed face list;
//   scheme 4: raw points (count, then x, y, z floats), then the packed faces;
//             implied, with no scheme byte, when bits 0x01 and 0x40 are clear;
//   scheme 5: an edge-breaker block holding the faces, the normals and (with
//             bit 0x01) the points; without bit 0x01 the raw points follow it
//             in the block's vertex order.
// then, with bit 0x08, the polyhedron's attribute section.
//
// The packed face list is a byte giving the width of its entries (8, 16 or 32
// bits), then every entry in that width, little-endian. The width is the
// narrowest that holds the largest magnitude: unsigned up to 255 or 65535 when
// no entry is negative (or, below version 650, whose readers take entries as
// unsigned, 32 bits whenever one is), signed up to 127 or 32767 otherwise.
//
class TK_Shell : public TK_Polyhedron
{
public:
    TK_Shell();
    ~TK_Shell() override;

    // Installs a face list of `length` entries (copied when given; zeros
    // otherwise) and counts its faces. TK_Error for a negative length, a
    // record running past the end, or memory running out; the old list then
    // stays.
    TK_Status SetFaces(int length, const int* faces = nullptr);
    int GetFacesLength() const { return static_cast<int>(m_faces.size()); }
    const int* GetFaces() const { return m_faces.empty() ? nullptr : m_faces.data(); }

    // Level-of-detail variant of the record; 0 for the full shell.
    void SetLevel(int level) { m_level = static_cast<signed char>(level); }
    int GetLevel() const { return m_level; }

    // Before writing, merge coincident vertices (tolerances as for
    // w3d::eb::merge_shell_vertices: distance, normal angle, parameter).
    void SetOptimize(bool optimize) { m_optimize = optimize; }
    bool GetOptimize() const { return m_optimize; }
    void SetTolerances(double distance, double normal_angle, double parameter);
    const double* GetTolerances() const { return m_tolerances; }

    // Optimises when asked to (which throws DWFCore::DWFMemoryException when
    // memory runs out), then hands the shell to the observer.
    void serialize(TK_Key key = 0) override;

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    void Reset() override;

    // The width in bits of the packed face list of `faces` for a stream of
    // `version`.
    static int PackedFaceWidth(const int* faces, int length, int version);

protected:
    // Merges vertices and drops collapsed faces (w3d::eb::merge_shell_vertices
    // with its used-only flag); installs the result when points were merged
    // or dropped. Skipped when the shell carries vertex colours or indices,
    // which the merge does not compare.
    void _optimizeThisShell();

    // Sub-records, each resumable through m_shell_stage.
    virtual TK_Status read_advanced(BStreamFileToolkit& tk);
    virtual TK_Status read_raw_points(BStreamFileToolkit& tk);
    virtual TK_Status read_faces(BStreamFileToolkit& tk);
    virtual TK_Status read_bounding_body(BStreamFileToolkit& tk);
    // The edge-breaker encoding, before anything is written: TK_Done when the
    // block is ready, TK_NotApplicable (or any other status) when the shell
    // is to be written plainly.
    virtual TK_Status write_advanced(BStreamFileToolkit& tk);
    virtual TK_Status write_edgebreaker_block(BStreamFileToolkit& tk);
    virtual TK_Status write_raw_points(BStreamFileToolkit& tk);
    virtual TK_Status write_faces(BStreamFileToolkit& tk);
    virtual TK_Status write_bounding(BStreamFileToolkit& tk);
    virtual TK_Status write_null(BStreamFileToolkit& tk);

private:
    // The faces of `length` entries at `faces` as the face count: strips when
    // `strips`; -1 when a record runs past the end.
    static int count_faces(const int* faces, int length, bool strips);
    // TK_Error unless every record lies in the list and names a point.
    TK_Status check_faces(BStreamFileToolkit& tk, const char* message) const;
    void log_index(BStreamFileToolkit& tk, int index);

    std::vector<int> m_faces;
    signed char m_level = 0;
    bool m_optimize = false;
    double m_tolerances[3] = {0.0, 0.0, 0.0};
    // Resumption point inside a sub-record.
    int m_shell_stage = 0;
    // Bytes of the packed face list, written or read.
    std::vector<std::uint8_t> m_face_bytes;
    int m_face_bytes_length = 0;
    // Reading: the edge-breaker block's length and the bytes of it read.
    int m_block_length = 0;
    int m_read_done = 0;
    // Reading raw points: their count.
    int m_raw_count = 0;
    // The key's index as written or read.
    int m_index = -1;
};
