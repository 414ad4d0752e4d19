#pragma once

#include "dwf/w3dtk/stream/opcode_handler.h"

#include <string>

// A camera ('>') or a named view holding camera settings ('}'). The record is
// a flags byte, eleven camera settings, the extra values the flags announce
// and, for a view, its name behind a one-byte length. Views cannot be written
// for readers older than version 610; the record is then left out entirely.
class TK_Camera : public BBaseOpcodeHandler
{
public:
    static constexpr int Settings = 11;
    static constexpr int View_Since_Version = 610;
    enum : int
    {
        Extra_A = 0x04, // flag: extra value A travels
        Extra_B = 0x08, // flag: extra value B travels
    };

    explicit TK_Camera(int opcode = '>');

    TK_Status Read(BStreamFileToolkit& tk) override;
    // Refuses a view name longer than 255 bytes before anything is written.
    TK_Status Write(BStreamFileToolkit& tk) override;

    void SetSettings(const float settings[Settings]);
    const float* GetSettings() const { return m_settings; }
    void SetExtraA(float value) { m_extra[0] = value; }
    float GetExtraA() const { return m_extra[0]; }
    void SetExtraB(float value) { m_extra[1] = value; }
    float GetExtraB() const { return m_extra[1]; }
    void SetFlags(int flags) { m_flags = static_cast<unsigned char>(flags); }
    int GetFlags() const { return m_flags; }
    void SetView(const char* name) { m_view = name ? name : ""; }
    const std::string& GetView() const { return m_view; }

private:
    bool is_view() const { return m_opcode == '}'; }

    float m_settings[Settings] = {};
    float m_extra[2] = {0, 0};
    unsigned char m_flags = 0;
    std::string m_view;
};
