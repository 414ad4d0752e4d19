#include "platform/ui/Ui.h"

#include "platform/kernel/Path.h"

#include <cstdio>

namespace platform
{

namespace
{
std::map<int, std::u16string> defaultStrings()
{
    return {
        {100, u"Quillcast"},
        {201, u"Publish DWF"},
        {202, u"Publishing"},
        {205, u"Publishes the active document as a DWF package"},
        {208, u"The document has not been saved yet. Save it before publishing it."},
        {209, u"A bill of materials table could not be written; it is left out of the sheet."},
        {210, u"Publish DWF"},
        {211, u"The file is read-only. Choose another file name."},
        {212, u"The file could not be looked at. Choose another file name."},
    };
}
} // namespace

Ui::Ui() : strings_(defaultStrings()) {}

int Ui::messageBox(const std::u16string& text, const std::u16string& caption, int style, bool owned,
                   const std::u16string& cause)
{
    boxes_.push_back({text, caption, style, owned, cause});
    if (echo_)
    {
        // Names of files in the texts come back in the bytes they were given.
        std::fprintf(stderr, "%s: %s\n", path::toNativeText(caption).c_str(),
                     path::toNativeText(text).c_str());
        if (!cause.empty())
            std::fprintf(stderr, "%s:   cause: %s\n", path::toNativeText(caption).c_str(),
                         path::toNativeText(cause).c_str());
    }
    return IDOK;
}

std::optional<std::u16string> Ui::string(int id) const
{
    const auto found = strings_.find(id);
    if (found == strings_.end())
        return std::nullopt;
    return found->second;
}

void Ui::setString(int id, std::u16string text)
{
    strings_[id] = std::move(text);
}

void Ui::removeString(int id)
{
    strings_.erase(id);
}

void Ui::queueAnswer(int templateId, DialogAnswer answer)
{
    queued_[templateId].push_back(std::move(answer));
}

void Ui::setStandingAnswer(int templateId, DialogAnswer answer)
{
    standing_[templateId] = std::move(answer);
}

DialogAnswer Ui::runDialog(int templateId)
{
    DialogAnswer answer;
    auto queued = queued_.find(templateId);
    if (queued != queued_.end() && !queued->second.empty())
    {
        answer = std::move(queued->second.front());
        queued->second.erase(queued->second.begin());
    }
    else if (const auto standing = standing_.find(templateId); standing != standing_.end())
    {
        answer = standing->second;
    }
    else
    {
        answer.result = IDCANCEL;
    }
    dialogs_.push_back({templateId, answer.result});
    return answer;
}

void Ui::showHelp(const std::u16string& file, int command, int context)
{
    help_.push_back({file, command, context});
}

void Ui::reset()
{
    boxes_.clear();
    strings_ = defaultStrings();
    queued_.clear();
    standing_.clear();
    dialogs_.clear();
    help_.clear();
}

Ui& ui()
{
    static Ui instance;
    return instance;
}

} // namespace platform
