#pragma once
// The add-in object the host creates and connects. Connected, it holds the
// host application, has its "Publish DWF" menu items and toolbar in the
// host, listens to the application's events and keeps one CSwDocument per
// open document. Its two dispatch methods are the command's callbacks:
// DWFPublishEnable greys or enables the command, DWFPublish runs it.
//
// Every failure of a host request or of publishing is reported with one
// message box naming the method (ErrorReport.h); nothing escapes to the
// host.
#include "addin/BitmapHandler.h"
#include "addin/PublishOptions.h"
#include "addin/SwDocument.h"
#include "host/Application.h"
#include "platform/com/Result.h"
#include "platform/com/Unknown.h"

#include <cstdint>
#include <map>
#include <string>

class CDWFPublisherImp : public platform::RefCounted, public host::ApplicationEvents
{
public:
    static constexpr std::uint32_t kNotAdvised = 0xfefefefe;
    // Dispatch ids of IDWFPublisherImp.
    static constexpr int DISPID_DWFPublish = 1;
    static constexpr int DISPID_DWFPublishEnable = 2;

    // A new object with one reference.
    static CDWFPublisherImp* Create();

    platform::HRESULT queryInterface(const platform::Guid& iid, void** object) override;

    // ---- the host's add-in interface
    // Keeps the application, hands the host the callbacks, adds menus and
    // toolbar and attaches the open documents. S_OK with true; a menu text
    // that cannot be allocated takes back what was added and answers
    // E_OUTOFMEMORY with false.
    platform::HRESULT Connect(host::Application* application, int cookie,
                              platform::VARIANT_BOOL* connected);
    // Removes menus and toolbar, detaches every document, removes the
    // toolbar bitmap files and lets the application go. E_NOTIMPL, answering
    // whether the documents were detached.
    platform::HRESULT Disconnect(platform::VARIANT_BOOL* disconnected);

    // ---- IDWFPublisherImp
    // Runs the publish command on the active document (PublishCommand.cpp).
    platform::HRESULT DWFPublish();
    // 1 when a document is active, else 0.
    platform::HRESULT DWFPublishEnable(long* status);
    // The host calls its callbacks by name, as given with the menu items.
    platform::HRESULT Invoke(const std::u16string& callback, long* status = nullptr);

    // ---- application events
    std::int32_t onApplicationEvent(int eventId, const std::u16string& argument) override;
    // Attaches a document opened under this file name that is not yet known.
    platform::HRESULT OnFileOpenNotify(const std::u16string& fileName);

    // ---- the steps
    platform::HRESULT AddMenus();
    void RemoveMenus();
    void AddToolbar();
    void RemoveToolbar();
    platform::VARIANT_BOOL AttachEventHandlers();
    platform::VARIANT_BOOL AttachDocument(host::Document* document);
    platform::VARIANT_BOOL DetachAllDocuments();
    // Sets the active document's image quality for the chosen resolution.
    void SetTheResolution(PublishOptions options);
    // After an assembly: every leaf component in state 1 goes to state 3
    // and back to 1.
    void GetSubAssemblyItem(host::Component* component);

    // Called by a CSwDocument that detaches itself.
    void RemoveDocument(host::Document* document);

    // The image quality for a resolution choice: 0 gives 99, 1 gives 50,
    // anything else 0.
    static int ImageQualityFor(int resolution);
    // The default package name of a document title: the last component cut
    // before its last dot; empty without a dot (a document never saved).
    static std::u16string BaseNameFromTitle(const std::u16string& title);
    // The target path with ".dwf" appended unless it already ends in that
    // extension, in any case.
    static std::u16string WithPackageExtension(const std::u16string& path);

    host::Application* Application() const { return application_; }
    const std::map<host::Document*, platform::ComPtr<CSwDocument>>& Documents() const
    {
        return documents_;
    }
    std::uint32_t ApplicationEventCookie() const { return eventCookie_; }
    int ToolbarId() const { return toolbarId_; }
    CBitmapHandler* BitmapHandler() const { return bitmaps_.get(); }

private:
    CDWFPublisherImp() = default;
    ~CDWFPublisherImp() override;

    std::u16string MenuItemText();
    void WalkComponents(host::Component* component, int depth);

    host::Application* application_ = nullptr;
    int cookie_ = 0;
    int toolbarId_ = 0;
    platform::ComPtr<CBitmapHandler> bitmaps_;
    std::uint32_t eventCookie_ = kNotAdvised;
    std::map<host::Document*, platform::ComPtr<CSwDocument>> documents_;
};
