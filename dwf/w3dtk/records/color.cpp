#include "dwf/w3dtk/records/color.h"

#include "dwf/w3dtk/records/color_masks.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <stdexcept>

namespace
{
constexpr int Channel_Numbers[7] = {0, 1, 2, 3, 4, 8, 9};
constexpr int Second_Byte_Mark = 0x80;

// The channel mask as written: the mark of the second byte is set whenever a
// channel above 7 is announced, so the reader sees every channel the record
// carries.
int written_channels(int channels)
{
    return (channels & 0xFF00) ? channels | Second_Byte_Mark : channels;
}
} // namespace

TK_Color::TK_Color() : BBaseOpcodeHandler('"') {}

void TK_Color::Reset()
{
    m_geometry = 0;
    m_channels = 0;
    for (Channel& channel : m_records)
        channel.name.clear();
    m_name_length = 0;
    BBaseOpcodeHandler::Reset();
}

int TK_Color::record_of(int channel)
{
    for (int i = 0; i < 7; ++i)
        if (Channel_Numbers[i] == channel)
            return i;
    throw std::out_of_range("TK_Color has no channel record of that number");
}

TK_Color::Channel& TK_Color::GetChannel(int channel)
{
    return m_records[record_of(channel)];
}

const TK_Color::Channel& TK_Color::GetChannel(int channel) const
{
    return m_records[record_of(channel)];
}

void TK_Color::SetChannelColor(int channel, float red, float green, float blue)
{
    Channel& record = GetChannel(channel);
    record.rgb[0] = red;
    record.rgb[1] = green;
    record.rgb[2] = blue;
}

void TK_Color::SetChannelName(Channel& channel, const char* name, int bit)
{
    channel.name = name ? name : "";
    if (bit < 0 || bit > 15)
        return;
    if (name)
        m_channels |= 1 << bit;
    else
        m_channels &= ~(1 << bit);
}

void TK_Color::SetValue(int channel, float value)
{
    if (channel != 5 && channel != 6)
        throw std::out_of_range("TK_Color holds single values for channels 5 and 6 only");
    m_values[channel - 5] = value;
}

float TK_Color::GetValue(int channel) const
{
    if (channel != 5 && channel != 6)
        throw std::out_of_range("TK_Color holds single values for channels 5 and 6 only");
    return m_values[channel - 5];
}

// A channel in one write: its name behind its length, or a 0 and its colour.
TK_Status TK_Color::write_channel(BStreamFileToolkit& tk, const Channel& channel, bool name_only)
{
    if (!channel.name.empty() || name_only)
    {
        std::string bytes(1, static_cast<char>(channel.name.size()));
        bytes += channel.name;
        return PutData(tk, bytes.data(), static_cast<int>(bytes.size()));
    }
    unsigned char bytes[4] = {0, 0, 0, 0};
    floats_to_bytes(channel.rgb, 3, bytes + 1);
    return PutData(tk, bytes, 4);
}

TK_Status TK_Color::Write(BStreamFileToolkit& tk)
{
    int const channels = written_channels(m_channels);
    switch (m_stage)
    {
    case 0:
        for (int i = 0; i < 7; ++i)
            if (channels & (1 << Channel_Numbers[i]))
                TK_TRY(CheckNameLength(tk, m_records[i].name.size(), "colour channel name",
                                       Max_Channel_Name));
        TK_TRY(PutOpcode(tk));
        ++m_stage;
        [[fallthrough]];
    case 1:
        TK_TRY(tk_color_masks::PutGeometryMask(tk, m_geometry));
        ++m_stage;
        [[fallthrough]];
    case 2:
    {
        unsigned char const bytes[2] = {static_cast<unsigned char>(channels & 0xFF),
                                        static_cast<unsigned char>(channels >> 8)};
        TK_TRY(PutData(tk, bytes, (channels & Second_Byte_Mark) ? 2 : 1));
        ++m_stage;
    }
        [[fallthrough]];
    case 3:
        for (; m_progress < 5; ++m_progress)
            if (channels & (1 << m_progress))
                TK_TRY(write_channel(tk, m_records[m_progress], false));
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (channels & (1 << 5))
            TK_TRY(PutData(tk, m_values[0]));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (channels & (1 << 6))
            TK_TRY(PutData(tk, m_values[1]));
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (channels & (1 << 8))
            TK_TRY(write_channel(tk, m_records[5], true));
        ++m_stage;
        [[fallthrough]];
    case 7:
        if (channels & (1 << 9))
            TK_TRY(write_channel(tk, m_records[6], true));
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}

// Reads a channel in two steps, the name length kept across a pending read:
// `sub` is 0 before the length, 1 after it, and 0 again when the channel is done.
// A channel of 0-4 with length 0 is a colour and keeps its name as it was; one
// of channels 8 and 9 is always a name, empty for 0.
TK_Status TK_Color::read_channel(BStreamFileToolkit& tk, Channel& channel, bool name_only)
{
    if (m_progress % 2 == 0)
    {
        TK_TRY(GetNameLength(tk, m_name_length, true));
        ++m_progress;
    }
    if (m_name_length == 0 && !name_only)
    {
        unsigned char bytes[3];
        TK_TRY(GetData(tk, bytes, 3));
        bytes_to_floats(bytes, 3, channel.rgb);
    }
    else
    {
        std::string name(static_cast<std::size_t>(m_name_length), '\0');
        TK_TRY(GetData(tk, &name[0], m_name_length));
        channel.name = std::move(name);
    }
    ++m_progress;
    return TK_Done;
}

TK_Status TK_Color::Read(BStreamFileToolkit& tk)
{
    switch (m_stage)
    {
    case 0:
        TK_TRY(tk_color_masks::GetGeometryMask(tk, m_geometry, m_progress));
        ++m_stage;
        [[fallthrough]];
    case 1:
    {
        unsigned char byte = 0;
        if (m_progress == 0)
        {
            TK_TRY(GetData(tk, byte));
            m_channels = byte;
            m_progress = 1;
        }
        if (m_channels & Second_Byte_Mark)
        {
            TK_TRY(GetData(tk, byte));
            m_channels |= byte << 8;
        }
        m_progress = 0;
        ++m_stage;
    }
        [[fallthrough]];
    case 2:
        // progress: twice the channel number, plus 1 once its length is read
        for (; m_progress < 10;)
        {
            if (m_channels & (1 << (m_progress / 2)))
                TK_TRY(read_channel(tk, m_records[m_progress / 2], false));
            else
                m_progress += 2;
        }
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 3:
        if (m_channels & (1 << 5))
            TK_TRY(GetData(tk, m_values[0]));
        ++m_stage;
        [[fallthrough]];
    case 4:
        if (m_channels & (1 << 6))
            TK_TRY(GetData(tk, m_values[1]));
        ++m_stage;
        [[fallthrough]];
    case 5:
        if (m_channels & (1 << 8))
            TK_TRY(read_channel(tk, m_records[5], true));
        m_progress = 0;
        ++m_stage;
        [[fallthrough]];
    case 6:
        if (m_channels & (1 << 9))
            TK_TRY(read_channel(tk, m_records[6], true));
        m_progress = 0;
        m_stage = -1;
        return TK_Done;
    default:
        return tk.Error();
    }
}
