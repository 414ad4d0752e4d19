#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

// A bounding volume: 'B' (bounding information of the whole stream, which
// becomes the toolkit's world bounding box when written or read) or 'b' (the
// bounding of the segment in hand). A box is its minimum and maximum corner; a
// sphere its centre and radius.
class TK_Bounding : public BBaseOpcodeHandler
{
public:
    enum : int
    {
        Sphere = 1,
        Box = 2, // any value but Sphere is a box
    };

    explicit TK_Bounding(int opcode);

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetBox(const float minimum[3], const float maximum[3]);
    void SetSphere(const float centre[3], float radius);
    // The volume type byte as it travels.
    void SetType(int type) { m_type = static_cast<unsigned char>(type); }
    int GetType() const { return m_type; }
    // Six values for a box, the first four for a sphere.
    const float* GetValues() const { return m_values; }

private:
    int value_count() const { return m_type == Sphere ? 4 : 6; }
    // The stream-wide record hands its volume to the toolkit.
    void publish(BStreamFileToolkit& tk) const;

    float m_values[6] = {0, 0, 0, 0, 0, 0};
    unsigned char m_type = Box;
};
