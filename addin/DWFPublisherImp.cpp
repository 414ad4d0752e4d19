#include "addin/DWFPublisherImp.h"

#include "addin/ErrorReport.h"
#include "addin/Identifiers.h"
#include "addin/Module.h"
#include "addin/ModulePaths.h"
#include "addin/Resources.h"
#include "host/Document.h"
#include "platform/com/Bstr.h"
#include "platform/ui/Ui.h"

#include <exception>

namespace
{
// Document walks end here even if the host's chain of documents never
// does.
constexpr int kMaxDocuments = 1 << 20;
constexpr int kDocumentTypes[] = {1, 2, 3};
// DISP_E_MEMBERNOTFOUND: a callback name the add-in does not have.
constexpr platform::HRESULT kMemberNotFound = static_cast<platform::HRESULT>(0x80020003u);

// A string the add-in hands to the host could not be allocated.
struct OutOfMemory : std::exception
{
};

std::u16string Allocated(std::u16string_view text)
{
    platform::Bstr out;
    if (platform::failed(platform::Bstr::allocate(text, out)))
        throw OutOfMemory();
    return out.str();
}

std::u16string SatelliteString(int id)
{
    return platform::ui().string(id).value_or(std::u16string());
}
} // namespace

CDWFPublisherImp* CDWFPublisherImp::Create()
{
    return new CDWFPublisherImp();
}

CDWFPublisherImp::~CDWFPublisherImp()
{
    // The documents' back-pointers must not outlive this object.
    auto documents = std::move(documents_);
    documents_.clear();
    for (auto& entry : documents)
        entry.second->ForgetAddin();
}

platform::HRESULT CDWFPublisherImp::queryInterface(const platform::Guid& iid, void** object)
{
    if (object && (iid == ids::IID_IDWFPublisherImp || iid == ids::IID_HostAddin))
    {
        addRef();
        *object = this;
        return platform::S_OK;
    }
    return RefCounted::queryInterface(iid, object);
}

platform::HRESULT CDWFPublisherImp::Connect(host::Application* application, int cookie,
                                            platform::VARIANT_BOOL* connected)
{
    if (connected)
        *connected = platform::VARIANT_FALSE;
    if (!application)
        return platform::E_NOINTERFACE;
    application_ = application;
    cookie_ = cookie;
    if (!bitmaps_)
        bitmaps_ = platform::ComPtr<CBitmapHandler>::adopt(CBitmapHandler::Create());
    try
    {
        application_->setAddinCallbackInfo(Module().Instance(), this, cookie_);
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::Connect");
    }
    const platform::HRESULT menus = AddMenus();
    if (platform::failed(menus))
    {
        RemoveMenus();
        return menus;
    }
    AddToolbar();
    AttachEventHandlers();
    if (connected)
        *connected = platform::VARIANT_TRUE;
    return platform::S_OK;
}

platform::HRESULT CDWFPublisherImp::Disconnect(platform::VARIANT_BOOL* disconnected)
{
    platform::VARIANT_BOOL detached = platform::VARIANT_TRUE;
    if (application_)
    {
        RemoveMenus();
        RemoveToolbar();
        detached = DetachAllDocuments();
    }
    if (bitmaps_)
    {
        bitmaps_->Dispose();
        bitmaps_.reset();
    }
    application_ = nullptr;
    if (disconnected)
        *disconnected = detached;
    return platform::E_NOTIMPL;
}

std::u16string CDWFPublisherImp::MenuItemText()
{
    std::u16string text = SatelliteString(res::IDS_MENU_TEXT);
    if (const auto menu = application_->menuName(0))
        text += *menu;
    return Allocated(text);
}

platform::HRESULT CDWFPublisherImp::AddMenus()
{
    try
    {
        const std::u16string icon = Allocated(MenuIconPath());
        const std::u16string text = MenuItemText();
        const std::u16string hint = Allocated(SatelliteString(res::IDS_MENU_HINT));
        int position = 6;
        if (host::Document* active = application_->activeDocument())
        {
            if (active->menuProbe() != 1)
                position = 5;
        }
        for (const int type : kDocumentTypes)
            application_->addMenuItem(type, cookie_, text, position, u"DWFPublish",
                                      u"DWFPublishEnable", hint, icon);
        return platform::S_OK;
    }
    catch (const OutOfMemory&)
    {
        return platform::E_OUTOFMEMORY;
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::AddMenus");
        return platform::S_OK;
    }
}

void CDWFPublisherImp::RemoveMenus()
{
    // One item refused does not keep the others in the host; the failure
    // is reported once.
    bool failed = false;
    try
    {
        const std::u16string text = MenuItemText();
        for (const int type : kDocumentTypes)
        {
            try
            {
                application_->removeMenuItem(type, text, 0);
            }
            catch (...)
            {
                failed = true;
            }
        }
    }
    catch (...)
    {
        failed = true;
    }
    if (failed)
        ReportPublishError("CDWFPublisherImp::RemoveMenus");
}

void CDWFPublisherImp::AddToolbar()
{
    try
    {
        platform::Bstr small;
        platform::Bstr large;
        bitmaps_->CreateBitmapFileFromResource(res::IDB_TOOLBAR_SMALL, &small);
        bitmaps_->CreateBitmapFileFromResource(res::IDB_TOOLBAR_LARGE, &large);
        toolbarId_ =
            application_->addToolbar(cookie_, u"Publish DWF", small.str(), large.str(), 0, 15);
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::AddToolbar");
    }
    // The button goes on whether or not the toolbar's images were made.
    try
    {
        application_->addToolbarButton(cookie_, toolbarId_, 0, u"DWFPublish", u"DWFPublishEnable",
                                       u"Publish DWF", u"");
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::AddToolbar");
    }
}

void CDWFPublisherImp::RemoveToolbar()
{
    try
    {
        application_->removeToolbar(cookie_, toolbarId_);
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::RemoveToolbar");
    }
}

platform::VARIANT_BOOL CDWFPublisherImp::AttachEventHandlers()
{
    if (eventCookie_ != kNotAdvised)
        return platform::VARIANT_FALSE;
    try
    {
        const std::uint32_t cookie = application_->adviseApplicationEvents(this);
        if (cookie == 0)
            return platform::VARIANT_FALSE;
        eventCookie_ = cookie;
        int walked = 0;
        for (host::Document* document = application_->firstDocument(); document;
             document = document->next())
        {
            if (++walked > kMaxDocuments)
                break;
            if (documents_.count(document) != 0)
                continue;
            if (AttachDocument(document) == platform::VARIANT_FALSE)
                return platform::VARIANT_FALSE;
        }
        return platform::VARIANT_TRUE;
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::AttachEventHandlers");
        return platform::VARIANT_FALSE;
    }
}

platform::VARIANT_BOOL CDWFPublisherImp::AttachDocument(host::Document* document)
{
    if (!document)
        return platform::VARIANT_FALSE;
    if (documents_.count(document) != 0)
        return platform::VARIANT_TRUE;
    auto object = platform::ComPtr<CSwDocument>::adopt(CSwDocument::Create());
    object->Init(this, document);
    if (object->AttachEventHandlers() == platform::VARIANT_FALSE)
        return platform::VARIANT_FALSE;
    documents_.emplace(document, std::move(object));
    return platform::VARIANT_TRUE;
}

platform::VARIANT_BOOL CDWFPublisherImp::DetachAllDocuments()
{
    platform::VARIANT_BOOL result = platform::VARIANT_TRUE;
    if (eventCookie_ != kNotAdvised)
    {
        const std::uint32_t cookie = eventCookie_;
        eventCookie_ = kNotAdvised;
        try
        {
            if (!application_->unadviseApplicationEvents(cookie))
                result = platform::VARIANT_FALSE;
        }
        catch (...)
        {
            ReportPublishError("CDWFPublisherImp::DetachAllDocuments");
            result = platform::VARIANT_FALSE;
        }
    }
    // Each object leaves the map as it detaches: walk a map of our own.
    auto documents = std::move(documents_);
    documents_.clear();
    for (auto& entry : documents)
    {
        const platform::VARIANT_BOOL detached = entry.second->DetachEventHandlers();
        if (result == platform::VARIANT_TRUE)
            result = detached;
    }
    return result;
}

void CDWFPublisherImp::RemoveDocument(host::Document* document)
{
    const auto found = documents_.find(document);
    if (found == documents_.end())
        return;
    // Keep the object alive until it has left the map.
    const auto object = found->second;
    documents_.erase(found);
}

std::int32_t CDWFPublisherImp::onApplicationEvent(int eventId, const std::u16string& argument)
{
    if (eventId == 5)
        return OnFileOpenNotify(argument);
    return platform::S_OK;
}

platform::HRESULT CDWFPublisherImp::OnFileOpenNotify(const std::u16string& fileName)
{
    if (!application_)
        return platform::S_OK;
    try
    {
        int walked = 0;
        for (host::Document* document = application_->firstDocument(); document;
             document = document->next())
        {
            if (++walked > kMaxDocuments)
                break;
            if (document->pathName() != fileName || documents_.count(document) != 0)
                continue;
            if (AttachDocument(document) == platform::VARIANT_FALSE)
                return platform::E_FAIL;
        }
        return platform::S_OK;
    }
    catch (...)
    {
        ReportPublishError("CDWFPublisherImp::OnFileOpenNotify");
        return platform::E_FAIL;
    }
}

platform::HRESULT CDWFPublisherImp::Invoke(const std::u16string& callback, long* status)
{
    if (callback == u"DWFPublish")
        return DWFPublish();
    if (callback == u"DWFPublishEnable")
    {
        long ignored = 0;
        return DWFPublishEnable(status ? status : &ignored);
    }
    return kMemberNotFound;
}
