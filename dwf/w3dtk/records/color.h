#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

//
// A colour with named channels: opcode '"'. Materials and textures reach the
// stream through it.
//
// After the opcode: the geometry mask (1-3 bytes, records/color_masks.h), the
// channel mask (1-2 bytes; bit 7 is only the mark that a second byte
// follows); for each announced channel of 0-4 in order, either a name (its
// length as one byte, then its bytes: a texture or image standing in for the
// colour) or, when it has no name, a length byte 0 and red, green, blue as
// one byte each; channels 5 and 6 as one float each; channels 8 and 9 as
// names only.
//
// Channel name lengths are read as signed bytes, so names hold at most 127
// bytes: a writer refuses a longer one before it writes anything, a reader a
// negative length.
//
class TK_Color : public BBaseOpcodeHandler
{
public:
    static constexpr int Max_Channel_Name = Max_Signed_Name_Length;

    // What a channel of 0-4, 8 or 9 holds: a colour, or a name in its place.
    struct Channel
    {
        float rgb[3] = {0.0f, 0.0f, 0.0f};
        std::string name; // empty: no name
    };

    TK_Color();

    TK_Status Read(BStreamFileToolkit& tk) override;
    TK_Status Write(BStreamFileToolkit& tk) override;
    // Clears both masks and every name. The colours and the values of channels
    // 5 and 6 are kept: a channel announced but not set again carries what the
    // handler last held (zeros at first).
    void Reset() override;

    void SetGeometry(int mask) { m_geometry = mask; }
    int GetGeometry() const { return m_geometry; }
    void SetChannels(int mask) { m_channels = mask & 0xFFFF; }
    int GetChannels() const { return m_channels; }

    // The record of channel 0-4, 8 or 9; any other number throws std::out_of_range.
    Channel& GetChannel(int channel);
    const Channel& GetChannel(int channel) const;
    void SetChannelColor(int channel, float red, float green, float blue);
    // Replaces the channel's name with a copy of `name` (null removes it) and,
    // unless `bit` is -1, sets that bit of the channel mask when a name is
    // given or clears it when not.
    void SetChannelName(Channel& channel, const char* name, int bit = -1);
    void SetChannelName(int channel, const char* name) { SetChannelName(GetChannel(channel), name, channel); }

    // The single values of channels 5 and 6; other numbers throw std::out_of_range.
    void SetValue(int channel, float value);
    float GetValue(int channel) const;

private:
    static int record_of(int channel);

    TK_Status write_channel(BStreamFileToolkit& tk, const Channel& channel, bool name_only);
    TK_Status read_channel(BStreamFileToolkit& tk, Channel& channel, bool name_only);

    int m_geometry = 0;
    int m_channels = 0;
    Channel m_records[7]; // channels 0, 1, 2, 3, 4, 8, 9
    float m_values[2] = {0.0f, 0.0f}; // channels 5, 6
    int m_name_length = 0;            // a name length read, kept across a pending read
};
