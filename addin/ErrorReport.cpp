#include "addin/ErrorReport.h"

#include "dwf/w2dtk/result.h"
#include "dwfcore/Exception.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"
#include "platform/ui/Ui.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

namespace
{
constexpr int kCaptionStringId = 210;
} // namespace

// The W2D toolkit reports with bare codes; a reader wants their meaning.
std::u16string DescribeW2DResult(unsigned code)
{
    const auto result = static_cast<WT_Result>(code);
    const char* meaning = nullptr;
    switch (result)
    {
    case WT_Result_Out_Of_Memory:
        meaning = "out of memory";
        break;
    case WT_Result_Write_Failed:
        meaning = "the stream could not be written";
        break;
    case WT_Result_Open_Failed:
        meaning = "the stream could not be opened";
        break;
    case WT_Result_Not_Open:
        meaning = "the stream is not open";
        break;
    case WT_Result_Usage_Error:
        meaning = "a value the stream cannot carry";
        break;
    case WT_Result_Undefined_Reference:
        meaning = "a reference to something the stream does not define";
        break;
    default:
        break;
    }
    std::string text = "W2D result " + std::to_string(static_cast<unsigned>(result));
    if (meaning)
        text += std::string(" (") + meaning + ")";
    return platform::utf8ToUtf16(text);
}

namespace
{
// One thread publishes; the innermost scope is all that is needed.
const PublishScope* innermost = nullptr;
} // namespace

PublishScope::PublishScope(std::u16string what) : what_(std::move(what)), outer_(innermost)
{
    innermost = this;
}

PublishScope::~PublishScope()
{
    innermost = outer_;
}

std::u16string PublishScope::Current()
{
    return innermost ? innermost->what_ : std::u16string();
}

std::u16string DescribeCurrentFailure()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return {};
    try
    {
        std::rethrow_exception(current);
    }
    catch (const DWFCore::DWFException& e)
    {
        return e.message();
    }
    catch (WT_Result result)
    {
        return DescribeW2DResult(result);
    }
    catch (const std::bad_alloc&)
    {
        return u"out of memory";
    }
    catch (const std::exception& e)
    {
        // The system's texts name files in the bytes they were given.
        return platform::path::fromNative(e.what());
    }
    catch (...)
    {
    }
    return {};
}

void ReportPublishError(std::string_view where, bool period, const std::u16string& cause)
{
    std::u16string text = u"An error occurred while publishing the file. The error occurred in ";
    // Method names are plain ASCII.
    for (char c : where)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    if (period)
        text.push_back(u'.');
    std::u16string reason = cause.empty() ? DescribeCurrentFailure() : cause;
    const std::u16string scope = PublishScope::Current();
    if (!scope.empty())
        reason = reason.empty() ? scope : scope + u": " + reason;
    platform::Ui& ui = platform::ui();
    ui.messageBox(text, ui.string(kCaptionStringId).value_or(std::u16string()),
                  platform::MB_ICONEXCLAMATION, false, reason);
}
