#include "host/memory/Application.h"

#include "host/memory/Document.h"
#include "platform/kernel/Text.h"

#include <algorithm>

namespace host::memory
{

namespace
{
std::string utf8(const std::u16string& text)
{
    return platform::utf16ToUtf8(text);
}
} // namespace

Application::Application() : Object(*ownedSession)
{
    label = "Application";
}

Application::~Application() = default;

void Application::addDocument(Document* document)
{
    documents_.push_back(document);
    if (!active_)
        active_ = document;
}

Document* Application::documentAfter(const Document* document) const
{
    const auto found = std::find(documents_.begin(), documents_.end(), document);
    if (found == documents_.end() || found + 1 == documents_.end())
        return nullptr;
    return *(found + 1);
}

std::int32_t Application::notifyFileOpened(const std::u16string& fileName)
{
    std::int32_t status = 0;
    // Copy first: a sink may advise or unadvise while it handles the event.
    const auto sinks = sinks_;
    for (const auto& [cookie, sink] : sinks)
        status = sink->onApplicationEvent(5, fileName);
    return status;
}

host::Document* Application::activeDocument()
{
    ask("Application::activeDocument");
    return active_;
}

host::Document* Application::firstDocument()
{
    ask("Application::firstDocument");
    return documents_.empty() ? nullptr : documents_.front();
}

void Application::setAddinCallbackInfo(std::uintptr_t, void*, int cookie)
{
    ask("Application::setAddinCallbackInfo");
    log("setAddinCallbackInfo(" + std::to_string(cookie) + ")");
}

bool Application::addMenuItem(int documentType, int cookie, const std::u16string& text,
                              int position, const std::u16string& callback,
                              const std::u16string& enableCallback, const std::u16string& hint,
                              const std::u16string& iconFile)
{
    ask("Application::addMenuItem");
    log("addMenuItem(" + std::to_string(documentType) + "," + std::to_string(cookie) + "," +
        utf8(text) + "," + std::to_string(position) + "," + utf8(callback) + "," +
        utf8(enableCallback) + ")");
    menuItems_.push_back({documentType, text, position, callback, enableCallback, hint, iconFile});
    return true;
}

bool Application::removeMenuItem(int documentType, const std::u16string& text, int flags)
{
    ask("Application::removeMenuItem");
    log("removeMenuItem(" + std::to_string(documentType) + "," + utf8(text) + "," +
        std::to_string(flags) + ")");
    const auto found =
        std::find_if(menuItems_.begin(), menuItems_.end(),
                     [&](const MenuItem& item)
                     { return item.documentType == documentType && item.text == text; });
    if (found == menuItems_.end())
        return false;
    menuItems_.erase(found);
    return true;
}

std::optional<std::u16string> Application::menuName(int index)
{
    ask("Application::menuName");
    const auto found = menuNames.find(index);
    if (found == menuNames.end())
        return std::nullopt;
    return found->second;
}

int Application::addToolbar(int cookie, const std::u16string& title,
                            const std::u16string& smallImageFile,
                            const std::u16string& largeImageFile, int menuPosition,
                            int documentTypes)
{
    ask("Application::addToolbar");
    const int id = nextToolbarId_++;
    log("addToolbar(" + std::to_string(cookie) + "," + utf8(title) + "," +
        std::to_string(menuPosition) + "," + std::to_string(documentTypes) +
        ")=" + std::to_string(id));
    toolbars_[id] = {id, title, smallImageFile, largeImageFile, 0};
    return id;
}

bool Application::addToolbarButton(int cookie, int toolbarId, int buttonIndex,
                                   const std::u16string& callback,
                                   const std::u16string& enableCallback,
                                   const std::u16string& tooltip, const std::u16string&)
{
    ask("Application::addToolbarButton");
    log("addToolbarButton(" + std::to_string(cookie) + "," + std::to_string(toolbarId) + "," +
        std::to_string(buttonIndex) + "," + utf8(callback) + "," + utf8(enableCallback) + "," +
        utf8(tooltip) + ")");
    const auto found = toolbars_.find(toolbarId);
    if (found == toolbars_.end())
        return false;
    ++found->second.buttons;
    return true;
}

bool Application::removeToolbar(int cookie, int toolbarId)
{
    ask("Application::removeToolbar");
    log("removeToolbar(" + std::to_string(cookie) + "," + std::to_string(toolbarId) + ")");
    return toolbars_.erase(toolbarId) > 0;
}

std::uint32_t Application::adviseApplicationEvents(ApplicationEvents* sink)
{
    ask("Application::adviseApplicationEvents");
    if (!sink)
        return 0;
    const std::uint32_t cookie = nextCookie_++;
    sinks_[cookie] = sink;
    log("adviseApplicationEvents()=" + std::to_string(cookie));
    return cookie;
}

bool Application::unadviseApplicationEvents(std::uint32_t cookie)
{
    ask("Application::unadviseApplicationEvents");
    log("unadviseApplicationEvents(" + std::to_string(cookie) + ")");
    return sinks_.erase(cookie) > 0;
}

int Application::userPreferenceInt(int preference)
{
    ask("Application::userPreferenceInt");
    const auto found = preferences.find(preference);
    return found == preferences.end() ? 0 : found->second;
}

} // namespace host::memory
