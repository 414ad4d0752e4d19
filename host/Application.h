#pragma once
// The host application: documents, menus, toolbars, events, preferences.
#include "host/Forward.h"

#include <cstdint>
#include <optional>
#include <string>

namespace host
{

// Receives the application's events. Event 5 carries the name of a file
// that was just opened; events 1 and 11 carry nothing.
class ApplicationEvents
{
public:
    virtual ~ApplicationEvents() = default;
    // Answers a status (0 for success, negative for failure).
    virtual std::int32_t onApplicationEvent(int eventId, const std::u16string& argument) = 0;
};

class Application
{
public:
    virtual ~Application() = default;

    virtual Document* activeDocument() = 0;
    // The walk over all open documents: firstDocument, then Document::next.
    virtual Document* firstDocument() = 0;

    virtual void setAddinCallbackInfo(std::uintptr_t module, void* addin, int cookie) = 0;
    virtual bool addMenuItem(int documentType, int cookie, const std::u16string& text, int position,
                             const std::u16string& callback, const std::u16string& enableCallback,
                             const std::u16string& hint, const std::u16string& iconFile) = 0;
    virtual bool removeMenuItem(int documentType, const std::u16string& text, int flags) = 0;
    // The name of one of the application's menus; nothing when it has none.
    virtual std::optional<std::u16string> menuName(int index) = 0;
    // Answers the new toolbar's id.
    virtual int addToolbar(int cookie, const std::u16string& title,
                           const std::u16string& smallImageFile,
                           const std::u16string& largeImageFile, int menuPosition,
                           int documentTypes) = 0;
    virtual bool addToolbarButton(int cookie, int toolbarId, int buttonIndex,
                                  const std::u16string& callback,
                                  const std::u16string& enableCallback,
                                  const std::u16string& tooltip, const std::u16string& hint) = 0;
    virtual bool removeToolbar(int cookie, int toolbarId) = 0;

    // Connects a sink to the application events; answers a cookie, 0 when
    // the connection was refused.
    virtual std::uint32_t adviseApplicationEvents(ApplicationEvents* sink) = 0;
    virtual bool unadviseApplicationEvents(std::uint32_t cookie) = 0;

    // An integer user preference (108: model edge colour, 116: sketch colour
    // of the sheet format, both 0x00BBGGRR).
    virtual int userPreferenceInt(int preference) = 0;
};

} // namespace host
