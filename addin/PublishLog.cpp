#include "addin/PublishLog.h"

#include "platform/kernel/Files.h"
#include "platform/kernel/Text.h"

namespace publish_log
{

namespace
{
struct Log
{
    std::vector<std::u16string> written;
    std::vector<std::u16string> replacing;
    std::vector<std::u16string> unflushed;
    std::vector<std::u16string> unchecked;
    std::vector<std::u16string> notes;
};

Log& TheLog()
{
    static Log log;
    return log;
}
} // namespace

void PackageWritten(const std::u16string& target, bool replaced)
{
    TheLog().written.push_back(target);
    if (replaced)
        TheLog().replacing.push_back(target);
}

void FolderNotFlushed(const std::u16string& target)
{
    TheLog().unflushed.push_back(target);
}

void PlaceNotChecked(const std::u16string& target)
{
    TheLog().unchecked.push_back(target);
}

void Note(const std::u16string& text)
{
    TheLog().notes.push_back(text);
}

void LeftBehind(const std::u16string& what, const std::u16string& path, int error,
                const std::u16string& detail)
{
    Note(u"The temporary " + what + u" '" + path + u"' could not be removed" +
         (detail.empty() ? u"" : u" (" + detail + u")") + u": " +
         platform::utf8ToUtf16(platform::systemReason(error)));
}

const std::vector<std::u16string>& WrittenPackages()
{
    return TheLog().written;
}

const std::vector<std::u16string>& ReplacingPackages()
{
    return TheLog().replacing;
}

const std::vector<std::u16string>& UnflushedPackages()
{
    return TheLog().unflushed;
}

const std::vector<std::u16string>& UncheckedPackages()
{
    return TheLog().unchecked;
}

const std::vector<std::u16string>& Notes()
{
    return TheLog().notes;
}

void Reset()
{
    TheLog() = Log();
}

} // namespace publish_log
