#include "addin/Module.h"

#include "addin/BitmapHandler.h"
#include "addin/DWFPublisherImp.h"
#include "addin/Identifiers.h"
#include "addin/ModulePaths.h"
#include "addin/RegistryScripts.h"
#include "addin/Resources.h"
#include "addin/SwDocument.h"
#include "platform/com/Registration.h"
#include "platform/kernel/Files.h"
#include "platform/ui/Ui.h"

CQuillcasterModule::CQuillcasterModule() : appId_(ids::APPID_Quillcaster)
{
    objectMap_.add({ids::CLSID_DWFPublisherImp, res::IDR_PUBLISHER_SCRIPT,
                    ids::LIBID_QuillcasterLib,
                    []() -> platform::Unknown* { return CDWFPublisherImp::Create(); }});
    objectMap_.add({ids::CLSID_SwDocument, res::IDR_DOCUMENT_SCRIPT, ids::LIBID_QuillcasterLib,
                    []() -> platform::Unknown* { return CSwDocument::Create(); }});
    objectMap_.add({ids::CLSID_BitmapHandler, res::IDR_BITMAP_HANDLER_SCRIPT,
                    ids::LIBID_BitmapHandlerLib,
                    []() -> platform::Unknown* { return CBitmapHandler::Create(); }});
}

long CQuillcasterModule::LockCount() const
{
    return platform::RefCounted::liveObjects();
}

bool CQuillcasterApp::InitInstance()
{
    moduleFileName_ = platform::moduleFileName();
    // The satellite's strings and dialogs are the headless user interface's
    // own table; a table without the add-in's caption means no satellite,
    // and the dialogs and texts that live only there then fail to appear.
    satellite_ = platform::ui().string(res::IDS_MESSAGE_CAPTION).has_value();
    initialised_ = true;
    return true;
}

int CQuillcasterApp::ExitInstance()
{
    initialised_ = false;
    return 0;
}

CQuillcasterModule& Module()
{
    static CQuillcasterModule module;
    return module;
}

CQuillcasterApp& App()
{
    static CQuillcasterApp app;
    return app;
}

platform::Replacements RegistrationReplacements()
{
    return {{u"APPID", Module().AppId().toString()},
            {u"MODULE", platform::moduleFileName()},
            {u"MODULEFOLDER", ModuleFolder()}};
}

platform::HRESULT DllRegisterServer(platform::Registry& registry)
{
    const platform::Replacements replacements = RegistrationReplacements();
    platform::applyScript(registry, RegistryScript(res::IDR_APPID_SCRIPT), replacements);
    for (const auto& entry : Module().ObjectMap().entries())
        platform::applyScript(registry, RegistryScript(entry.registryScript), replacements);
    platform::applyScript(registry, TypeLibraryScript(), replacements);
    return platform::S_OK;
}

platform::HRESULT DllUnregisterServer(platform::Registry& registry)
{
    const platform::Replacements replacements = RegistrationReplacements();
    platform::removeScript(registry, RegistryScript(res::IDR_APPID_SCRIPT), replacements);
    for (const auto& entry : Module().ObjectMap().entries())
        platform::removeScript(registry, RegistryScript(entry.registryScript), replacements);
    platform::removeScript(registry, TypeLibraryScript(), replacements);
    return platform::S_OK;
}

platform::HRESULT DllRegisterServer()
{
    return DllRegisterServer(platform::processRegistry());
}

platform::HRESULT DllUnregisterServer()
{
    return DllUnregisterServer(platform::processRegistry());
}

platform::HRESULT DllGetClassObject(const platform::Guid& clsid, const platform::Guid& iid,
                                    void** object)
{
    // The framework has no class factories of its own beside the map.
    return Module().ObjectMap().getClassObject(clsid, iid, object);
}

platform::HRESULT DllCanUnloadNow()
{
    return Module().LockCount() < 1 ? platform::S_OK : platform::S_FALSE;
}
