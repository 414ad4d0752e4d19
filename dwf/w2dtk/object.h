#pragma once

#include "dwf/w2dtk/logical_point.h"
#include "dwf/w2dtk/result.h"

#include <cstdint>

class WT_File;
class WT_Opcode;

// Root of every opcode object: read from a stream by materialize, handed to the
// application by process, written by serialize.
class WT_Object
{
public:
    // Kind families; the numbers are stored, the words only describe them.
    enum WT_Type
    {
        Unknown = 0,
        Attribute = 1,
        Drawable = 2,
        Definition = 3,
        Compression = 4,
        Structure = 6,
        Option = 7,
        Informational = 8,
    };

    // Object kinds. Ids 1, 15, 30, 31, 34, 39 and 40 are unused on purpose.
    enum WT_ID
    {
        Unknown_ID = 0,
        Author_ID = 2,
        Background_ID = 3,
        Code_Page_ID = 4,
        Color_ID = 5,
        Color_Map_ID = 6,
        Comments_ID = 7,
        Compression_Marker_ID = 8,
        Contour_Set_ID = 9,
        Copyright_ID = 10,
        Creator_ID = 11,
        Created_ID = 12,
        Dash_Pattern_ID = 13,
        Description_ID = 14,
        DWF_Header_ID = 16,
        Embed_ID = 17,
        Embedded_Font_ID = 18,
        End_Of_DWF_ID = 19,
        Fill_ID = 20,
        Fill_Pattern_ID = 21,
        Filled_Ellipse_ID = 22,
        Gouraud_Polyline_ID = 23,
        Gouraud_Polytriangle_ID = 24,
        Image_ID = 25,
        Inked_Area_ID = 26,
        Keywords_ID = 27,
        Layer_ID = 28,
        Layer_List_ID = 29,
        Line_Pattern_ID = 32,
        Line_Style_ID = 33,
        Line_Weight_ID = 35,
        Marker_Size_ID = 36,
        Marker_Symbol_ID = 37,
        Merge_Control_ID = 38,
        Modified_ID = 41,
        Named_View_ID = 42,
        Object_List_ID = 43,
        Trusted_Font_List_ID = 44,
        Object_Node_ID = 45,
        Object_Node_List_ID = 46,
        Line_Style_Option_ID = 47,
        Origin_ID = 48,
        Outline_Ellipse_ID = 49,
        Plot_Info_ID = 50,
        Polygon_ID = 51,
        Polyline_ID = 52,
        Polymarker_ID = 53,
        Polytriangle_ID = 54,
        Projection_ID = 55,
        Source_Created_ID = 56,
        Source_Filename_ID = 57,
        Source_Modified_ID = 58,
        Subject_ID = 59,
        Text_ID = 60,
        Title_ID = 61,
        Units_ID = 62,
        URL_ID = 63,
        URL_List_ID = 64,
        View_ID = 65,
        Viewport_ID = 66,
        Viewport_Option_Viewport_Units_ID = 67,
        Visibility_ID = 68,
        Font_ID = 69,
        Font_Option_Name_ID = 70,
        Font_Option_Charset_ID = 71,
        Font_Option_Pitch_ID = 72,
        Font_Option_Family_ID = 73,
        Font_Option_Style_ID = 74,
        Font_Option_Height_ID = 75,
        Font_Option_Rotation_ID = 76,
        Font_Option_Widthscale_ID = 77,
        Font_Option_Spacing_ID = 78,
        Font_Option_Oblique_ID = 79,
        Font_Option_Flags_ID = 80,
        Text_Option_Overscore_ID = 81,
        Text_Option_Underscore_ID = 82,
        Text_Option_Bounds_ID = 83,
        Text_Option_Char_Pos_ID = 84,
        Group4_PNG_Image_ID = 85,
        Plot_Optimized_ID = 86,
        Group_Begin_ID = 87,
        Group_End_ID = 88,
        Block_Meaning_ID = 89,
        Encryption_ID = 90,
        Orientation_ID = 91,
        Alignment_ID = 92,
        Password_ID = 93,
        Guid_ID = 94,
        File_Time_ID = 95,
        Block_Ref_ID = 96,
        Directory_ID = 97,
        User_Data_ID = 98,
        Pen_Pattern_ID = 99,
        Sign_Data_ID = 100,
        Guid_List_ID = 101,
        Font_Extension_ID = 102,
        Pen_Pat_Options_ID = 103,
    };

    WT_Object() = default;
    WT_Object(const WT_Object&) = default;
    WT_Object& operator=(const WT_Object&) = default;
    virtual ~WT_Object() = default;

    virtual WT_Type object_type() const = 0;
    virtual WT_ID object_id() const = 0;

    // Reads the operand that follows the opcode already read. Resumable: a
    // result of 1 (waiting for data) is repeated once more input has arrived.
    virtual WT_Result materialize(const WT_Opcode& opcode, WT_File& file) = 0;

    // Hands the object to the file's action procedure for its kind; with no
    // procedure installed the kind's default_process runs.
    virtual WT_Result process(WT_File& file);

    virtual WT_Result serialize(WT_File& file) = 0;

    // Passes over the operand without keeping it; by default by reading it.
    virtual WT_Result skip_operand(const WT_Opcode& opcode, WT_File& file);

    // The action slot (1 to 78) that process calls, or 0 when the kind has none.
    virtual int action_slot() const = 0;

    // What a freshly built file does with an object of this kind when it is
    // read: attributes store themselves into the current rendition.
    virtual WT_Result default_process(WT_File& file);

    // The start of every serialize: writes the pending drawable, then a pending
    // block reference, so that both come before the object being written.
    static WT_Result begin_serialize(WT_File& file);

    bool materialized() const { return m_materialized; }
    void set_materialized(bool done = true) { m_materialized = done; }

private:
    bool m_materialized = false;
};

// A modal value of the rendition (colour, layer, line weight, ...).
class WT_Attribute : public WT_Object
{
public:
    WT_Type object_type() const override { return Attribute; }

    // Brings the stream up to this value: writes it only when it differs from the
    // value last written, and records it as last written.
    virtual WT_Result sync(WT_File& file) = 0;

    virtual bool operator==(const WT_Attribute& other) const = 0;
    bool operator!=(const WT_Attribute& other) const { return !(*this == other); }
};

// Something drawn; may wait in the file as the pending drawable so that the
// next drawable of the same kind can be merged into it.
class WT_Drawable : public WT_Object
{
public:
    WT_Type object_type() const override { return Drawable; }

    // Stores a copy of this drawable as the file's pending drawable.
    virtual WT_Result delay(WT_File& file);
    // Writes this drawable's opcode and operands now (after the rendition sync).
    virtual WT_Result dump(WT_File& file);
    // Absorbs other (same kind) into this one; false when they cannot be joined.
    // The default throws WT_Result_Not_Available: only mergeable kinds may be delayed.
    virtual bool merge(const WT_Drawable& other);
    // Widens bounds() by this drawable's extent.
    virtual void update_bounds(WT_File& file);

    // The extent gathered by update_bounds; meaningful once has_bounds().
    const WT_Logical_Box& bounds() const { return m_bounds; }
    bool has_bounds() const { return m_has_bounds; }
    void reset_bounds()
    {
        m_bounds = WT_Logical_Box();
        m_has_bounds = false;
    }

protected:
    // The first point sets the box, so an extent never reaches back to (0, 0).
    void widen_bounds(const WT_Logical_Point& point);

private:
    WT_Logical_Box m_bounds;
    bool m_has_bounds = false;
};

// An operand part of another object (font, text, line style, ... options).
class WT_Option : public WT_Object
{
public:
    WT_Type object_type() const override { return Option; }
    WT_Result materialize(const WT_Opcode&, WT_File&) override { return WT_Result_Usage_Error; }
    WT_Result serialize(WT_File&) override { return WT_Result_Usage_Error; }
    WT_Result process(WT_File&) override { return WT_Result_Success; }
    int action_slot() const override { return 0; }

    virtual WT_Result materialize_option(const WT_Opcode& opcode, WT_File& file) = 0;
    virtual WT_Result serialize_option(WT_File& file) = 0;
    // Skips an option given as "(Name ...)"; a bare option has nothing to skip.
    virtual WT_Result skip_option(const WT_Opcode& opcode, WT_File& file);
};
