#pragma once

#include "dwf/w2dtk/matrix.h"
#include "dwf/w2dtk/object.h"

#include <cstdint>

// The paper of the sheet and its printable area, with the matrix from paper
// to drawing coordinates. Defaults: US letter in inches.
class WT_Plot_Info : public WT_Object
{
public:
    enum WT_Paper_Units
    {
        Millimeters = 0,
        Inches = 1,
    };

    WT_Plot_Info() = default;
    WT_Plot_Info(bool show, std::int32_t rotation, WT_Paper_Units units, double paper_width,
                 double paper_height, double min_x, double min_y, double max_x, double max_y,
                 const WT_Matrix_2D& to_paper)
        : m_height(paper_height), m_width(paper_width), m_min_x(min_x), m_min_y(min_y),
          m_max_x(max_x), m_max_y(max_y), m_matrix(to_paper), m_units(units), m_show(show),
          m_rotation(rotation)
    {
    }

    bool show() const { return m_show; }
    std::int32_t rotation() const { return m_rotation; }
    int paper_units() const { return m_units; }
    double paper_width() const { return m_width; }
    double paper_height() const { return m_height; }
    double lower_left_x() const { return m_min_x; }
    double lower_left_y() const { return m_min_y; }
    double upper_right_x() const { return m_max_x; }
    double upper_right_y() const { return m_max_y; }
    const WT_Matrix_2D& to_paper() const { return m_matrix; }
    void set_paper_units(int units) { m_units = units; }

    WT_Type object_type() const override { return Definition; }
    WT_ID object_id() const override { return Plot_Info_ID; }
    int action_slot() const override { return 56; }
    WT_Result materialize(const WT_Opcode& opcode, WT_File& file) override;
    // WT_Result_Not_Available for units other than millimetres and inches.
    WT_Result serialize(WT_File& file) override;
    // Stores the object in the current rendition; for streams of the producer
    // that wrote millimetre values as inches, rescales this object.
    WT_Result default_process(WT_File& file) override;

private:
    void correct_millimetre_values();

    double m_height = 11.0;
    double m_width = 8.5;
    double m_min_x = 0.25;
    double m_min_y = 0.25;
    double m_max_x = 8.25;
    double m_max_y = 10.75;
    WT_Matrix_2D m_matrix;
    int m_units = Inches;
    bool m_show = false;
    std::int32_t m_rotation = 0;
    int m_stage = 0;
    int m_double_index = 0;
};
