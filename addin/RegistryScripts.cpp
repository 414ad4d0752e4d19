#include "addin/RegistryScripts.h"

#include "addin/Identifiers.h"
#include "addin/Resources.h"

const char16_t kHostAddinsKey[] = u"SOFTWARE\\Quillcast\\Host\\AddIns";

namespace
{
using platform::Hive;
using platform::RegistrationScript;
using platform::ScriptKey;

ScriptKey Key(Hive hive, std::u16string path, std::optional<platform::RegistryValue> value = {},
              std::vector<std::pair<std::u16string, platform::RegistryValue>> named = {})
{
    ScriptKey key;
    key.hive = hive;
    key.path = std::move(path);
    key.defaultValue = std::move(value);
    key.namedValues = std::move(named);
    return key;
}

ScriptKey Kept(ScriptKey key)
{
    key.noRemove = true;
    return key;
}

ScriptKey Renewed(ScriptKey key)
{
    key.forceRemove = true;
    return key;
}

// The class root part shared by scripts 3001, 3002 and 3005.
void AddClassKeys(RegistrationScript& script, const std::u16string& prefix,
                  const std::u16string& name, const platform::Guid& clsid,
                  const platform::Guid& typeLibrary)
{
    const std::u16string progId = prefix + name;
    const std::u16string versioned = progId + u".1";
    const std::u16string className = name + u" Class";
    const std::u16string id = clsid.toString();
    const std::u16string classKey = u"CLSID\\" + id;
    script.keys.push_back(Key(Hive::ClassesRoot, versioned, className));
    script.keys.push_back(Key(Hive::ClassesRoot, versioned + u"\\CLSID", id));
    script.keys.push_back(Key(Hive::ClassesRoot, progId, className));
    script.keys.push_back(Key(Hive::ClassesRoot, progId + u"\\CLSID", id));
    script.keys.push_back(Key(Hive::ClassesRoot, progId + u"\\CurVer", versioned));
    script.keys.push_back(Kept(Key(Hive::ClassesRoot, u"CLSID")));
    script.keys.push_back(Renewed(
        Key(Hive::ClassesRoot, classKey, className, {{u"AppID", std::u16string(u"%APPID%")}})));
    script.keys.push_back(Key(Hive::ClassesRoot, classKey + u"\\ProgID", versioned));
    script.keys.push_back(Key(Hive::ClassesRoot, classKey + u"\\VersionIndependentProgID", progId));
    script.keys.push_back(Renewed(Key(Hive::ClassesRoot, classKey + u"\\Programmable")));
    script.keys.push_back(Key(Hive::ClassesRoot, classKey + u"\\InprocServer32",
                              std::u16string(u"%MODULE%"),
                              {{u"ThreadingModel", std::u16string(u"Apartment")}}));
    script.keys.push_back(Key(Hive::ClassesRoot, classKey + u"\\TypeLib", typeLibrary.toString()));
}
} // namespace

platform::RegistrationScript RegistryScript(int id)
{
    RegistrationScript script;
    script.id = id;
    switch (id)
    {
    case res::IDR_APPID_SCRIPT:
        script.keys.push_back(Kept(Key(Hive::ClassesRoot, u"AppID")));
        script.keys.push_back(
            Key(Hive::ClassesRoot, u"AppID\\%APPID%", std::u16string(u"Quillcaster")));
        script.keys.push_back(Key(Hive::ClassesRoot, u"AppID\\Quillcaster.DLL", std::nullopt,
                                  {{u"AppID", std::u16string(u"%APPID%")}}));
        break;
    case res::IDR_PUBLISHER_SCRIPT:
    {
        AddClassKeys(script, u"Quillcaster.", u"DWFPublisherImp", ids::CLSID_DWFPublisherImp,
                     ids::LIBID_QuillcasterLib);
        const std::u16string addins = kHostAddinsKey;
        const std::u16string host = addins.substr(0, addins.rfind(u'\\'));
        script.keys.push_back(Kept(Key(Hive::LocalMachine, u"SOFTWARE")));
        script.keys.push_back(Kept(Key(Hive::LocalMachine, host.substr(0, host.rfind(u'\\')))));
        script.keys.push_back(Kept(Key(Hive::LocalMachine, host)));
        script.keys.push_back(Kept(Key(Hive::LocalMachine, addins)));
        script.keys.push_back(Renewed(
            Key(Hive::LocalMachine, addins + u"\\" + ids::CLSID_DWFPublisherImp.toString(),
                std::uint32_t{0},
                {{u"Description", std::u16string(u"Morvalex Vellmark 3 for the Quillcast host")},
                 {u"Title", std::u16string(u"Publish DWF")}})));
        break;
    }
    case res::IDR_DOCUMENT_SCRIPT:
        AddClassKeys(script, u"Quillcaster.", u"SwDocument", ids::CLSID_SwDocument,
                     ids::LIBID_QuillcasterLib);
        break;
    case res::IDR_BITMAP_HANDLER_SCRIPT:
        AddClassKeys(script, u"Brackenloft.", u"BitmapHandler", ids::CLSID_BitmapHandler,
                     ids::LIBID_BitmapHandlerLib);
        break;
    default:
        break;
    }
    return script;
}

platform::RegistrationScript TypeLibraryScript()
{
    RegistrationScript script;
    const std::u16string library = u"TypeLib\\" + ids::LIBID_QuillcasterLib.toString();
    // The automation marshaller of dual interfaces.
    const std::u16string marshaller = u"{00020424-0000-0000-C000-000000000046}";
    script.keys.push_back(Kept(Key(Hive::ClassesRoot, u"TypeLib")));
    script.keys.push_back(Key(Hive::ClassesRoot, library));
    script.keys.push_back(Key(Hive::ClassesRoot, library + u"\\1.0",
                              std::u16string(u"Quillcaster 1.0 Type Library")));
    script.keys.push_back(Key(Hive::ClassesRoot, library + u"\\1.0\\FLAGS", std::u16string(u"0")));
    script.keys.push_back(
        Key(Hive::ClassesRoot, library + u"\\1.0\\HELPDIR", std::u16string(u"%MODULEFOLDER%")));
    script.keys.push_back(Key(Hive::ClassesRoot, library + u"\\1.0\\409"));
    script.keys.push_back(
        Key(Hive::ClassesRoot, library + u"\\1.0\\409\\win32", std::u16string(u"%MODULE%")));
    script.keys.push_back(Kept(Key(Hive::ClassesRoot, u"Interface")));
    const std::pair<const platform::Guid*, const char16_t*> interfaces[] = {
        {&ids::IID_IDWFPublisherImp, u"IDWFPublisherImp"},
        {&ids::IID_ISwDocument, u"ISwDocument"},
        {&ids::IID_IBitmapHandler, u"IBitmapHandler"}};
    for (const auto& [iid, name] : interfaces)
    {
        const std::u16string key = u"Interface\\" + iid->toString();
        script.keys.push_back(Key(Hive::ClassesRoot, key, std::u16string(name)));
        script.keys.push_back(Key(Hive::ClassesRoot, key + u"\\ProxyStubClsid32", marshaller));
        script.keys.push_back(Key(Hive::ClassesRoot, key + u"\\TypeLib",
                                  ids::LIBID_QuillcasterLib.toString(),
                                  {{u"Version", std::u16string(u"1.0")}}));
    }
    return script;
}
