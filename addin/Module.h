#pragma once
// The add-in module as the host loads it: the module object with its object
// map, the application object with start-up and shut-down, and the four
// entry points of an in-process server. Registration writes to a registry
// (the process registry unless a test names another).
#include "platform/com/ClassObject.h"
#include "platform/com/Guid.h"
#include "platform/com/Registration.h"
#include "platform/com/Result.h"
#include "platform/kernel/Registry.h"

#include <cstdint>
#include <string>

class CQuillcasterModule
{
public:
    CQuillcasterModule();

    const platform::ObjectMap& ObjectMap() const { return objectMap_; }
    const platform::Guid& AppId() const { return appId_; }
    // The handle the host is given with the add-in's callbacks.
    std::uintptr_t Instance() const { return reinterpret_cast<std::uintptr_t>(this); }
    // Objects of the module alive; the module may be unloaded at 0.
    long LockCount() const;

private:
    platform::ObjectMap objectMap_;
    platform::Guid appId_;
};

class CQuillcasterApp
{
public:
    // Takes the satellite library of strings and dialogs when it is there
    // and sets the framework up. TRUE whether or not the satellite exists.
    bool InitInstance();
    int ExitInstance();

    // Whether dialogs and strings come from the satellite library.
    bool HasSatellite() const { return satellite_; }
    // The module's file name as start-up found it.
    const std::u16string& ModuleFileName() const { return moduleFileName_; }
    bool IsInitialised() const { return initialised_; }

private:
    bool satellite_ = false;
    bool initialised_ = false;
    std::u16string moduleFileName_;
};

CQuillcasterModule& Module();
CQuillcasterApp& App();

// The placeholders of the registration scripts: %APPID%, %MODULE% and
// %MODULEFOLDER%.
platform::Replacements RegistrationReplacements();

// The in-process server's entry points.
platform::HRESULT DllRegisterServer();
platform::HRESULT DllUnregisterServer();
platform::HRESULT DllRegisterServer(platform::Registry& registry);
platform::HRESULT DllUnregisterServer(platform::Registry& registry);
platform::HRESULT DllGetClassObject(const platform::Guid& clsid, const platform::Guid& iid,
                                    void** object);
platform::HRESULT DllCanUnloadNow();
