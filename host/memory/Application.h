#pragma once
#include "host/Application.h"
#include "host/memory/Object.h"

#include <map>
#include <memory>
#include <vector>

namespace host::memory
{

class Document;

struct MenuItem
{
    int documentType = 0;
    std::u16string text;
    int position = 0;
    std::u16string callback;
    std::u16string enableCallback;
    std::u16string hint;
    std::u16string iconFile;
};

struct Toolbar
{
    int id = 0;
    std::u16string title;
    std::u16string smallImageFile;
    std::u16string largeImageFile;
    int buttons = 0;
};

// Holds the session so that it exists before the Object base refers to it.
struct SessionOwner
{
    std::unique_ptr<Session> ownedSession = std::make_unique<Session>();
};

// The in-memory application. It owns every object of every document it
// holds; `make` creates one that lives as long as the application.
class Application : private SessionOwner, public host::Application, public Object
{
public:
    Application();
    ~Application() override;

    template <class T, class... Args> T* make(Args&&... args)
    {
        auto object = std::make_unique<T>(*ownedSession, std::forward<Args>(args)...);
        T* raw = object.get();
        arena_.push_back(std::move(object));
        return raw;
    }
    Session& hostSession() { return *ownedSession; }

    // Adds an open document; the first one added becomes active.
    void addDocument(Document* document);
    void setActiveDocument(Document* document) { active_ = document; }
    const std::vector<Document*>& documents() const { return documents_; }
    Document* documentAfter(const Document* document) const;
    // Sends the application's event 5 with the file name to every sink, as
    // the host does after opening a file; answers the last sink's status.
    std::int32_t notifyFileOpened(const std::u16string& fileName);

    std::map<int, int> preferences;
    // The host installation's settings file as the document names it (the
    // registry value "ToolboxIniFile" of a real installation); empty when
    // the document names none.
    std::u16string toolboxIniFile;
    std::map<int, std::u16string> menuNames;
    const std::vector<MenuItem>& menuItems() const { return menuItems_; }
    const std::map<int, Toolbar>& toolbars() const { return toolbars_; }
    std::size_t applicationSinks() const { return sinks_.size(); }

    host::Document* activeDocument() override;
    host::Document* firstDocument() override;
    void setAddinCallbackInfo(std::uintptr_t module, void* addin, int cookie) override;
    bool addMenuItem(int documentType, int cookie, const std::u16string& text, int position,
                     const std::u16string& callback, const std::u16string& enableCallback,
                     const std::u16string& hint, const std::u16string& iconFile) override;
    bool removeMenuItem(int documentType, const std::u16string& text, int flags) override;
    std::optional<std::u16string> menuName(int index) override;
    int addToolbar(int cookie, const std::u16string& title, const std::u16string& smallImageFile,
                   const std::u16string& largeImageFile, int menuPosition,
                   int documentTypes) override;
    bool addToolbarButton(int cookie, int toolbarId, int buttonIndex,
                          const std::u16string& callback, const std::u16string& enableCallback,
                          const std::u16string& tooltip, const std::u16string& hint) override;
    bool removeToolbar(int cookie, int toolbarId) override;
    std::uint32_t adviseApplicationEvents(ApplicationEvents* sink) override;
    bool unadviseApplicationEvents(std::uint32_t cookie) override;
    int userPreferenceInt(int preference) override;

private:
    std::vector<std::unique_ptr<Object>> arena_;
    std::vector<Document*> documents_;
    Document* active_ = nullptr;
    std::vector<MenuItem> menuItems_;
    std::map<int, Toolbar> toolbars_;
    int nextToolbarId_ = 1;
    std::map<std::uint32_t, ApplicationEvents*> sinks_;
    std::uint32_t nextCookie_ = 1;
};

} // namespace host::memory
