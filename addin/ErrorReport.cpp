#include "addin/ErrorReport.h"

#include "platform/ui/Ui.h"

#include <string>

namespace
{
constexpr int kCaptionStringId = 210;
}

void ReportPublishError(std::string_view where, bool period)
{
    std::u16string text = u"An error occurred while publishing the file. The error occurred in ";
    // Method names are plain ASCII.
    for (char c : where)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    if (period)
        text.push_back(u'.');
    platform::Ui& ui = platform::ui();
    ui.messageBox(text, ui.string(kCaptionStringId).value_or(std::u16string()),
                  platform::MB_ICONEXCLAMATION, false);
}
