// The add-in as the host sees it: registration, class objects, connection
// with menus, toolbar and event sinks, and disconnection.
#include "addin/BitmapHandler.h"
#include "addin/DWFPublisherImp.h"
#include "addin/Identifiers.h"
#include "addin/Module.h"
#include "addin/PublishLog.h"
#include "addin/RegistryScripts.h"
#include "host/Loader.h"
#include "host/memory/Document.h"
#include "platform/com/Bstr.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace
{
using platform::Hive;

std::unique_ptr<host::memory::Application> ThreeDocuments(const std::string& extra = "")
{
    return host::parseHostDocument(
        "<host-document>"
        "<document type=\"1\" title=\"p.PRT\" path=\"/models/p.PRT\"/>"
        "<document type=\"2\" title=\"a.ASM\" path=\"/models/a.ASM\"/>"
        "<document type=\"3\" title=\"d.DRW\" path=\"/models/d.DRW\"><drawing>"
        "<sheet name=\"S\" properties=\"0 0 0 0 0 0.42 0.297\"><view type=\"1\"/></sheet>"
        "</drawing></document>" +
            extra + "</host-document>",
        u"");
}

std::size_t CountContaining(const std::vector<std::string>& log, const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(log.begin(), log.end(),
                      [&](const auto& entry) { return entry.find(text) != std::string::npos; }));
}

class AddinConnection : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ui().reset();
        platform::ui().setEcho(false);
        addin = platform::ComPtr<CDWFPublisherImp>::adopt(CDWFPublisherImp::Create());
    }
    void TearDown() override { platform::ui().reset(); }

    platform::ComPtr<CDWFPublisherImp> addin;
};

TEST(AddinRegistration, ScriptsWriteAndRemoveTheAddinKeys)
{
    platform::Registry registry;
    // A neighbour's key under the same parents must survive unregistration.
    registry.setValue(Hive::ClassesRoot, u"CLSID\\{00000000-1111-2222-3333-444444444444}", u"",
                      std::u16string(u"neighbour"));
    ASSERT_EQ(DllRegisterServer(registry), platform::S_OK);

    const std::u16string addinKey =
        std::u16string(kHostAddinsKey) + u"\\{AD39471D-8825-435B-BFDD-C177A32E5F83}";
    EXPECT_EQ(registry.value(Hive::LocalMachine, addinKey, u"Title"),
              platform::RegistryValue(std::u16string(u"Publish DWF")));
    EXPECT_TRUE(registry.value(Hive::LocalMachine, addinKey, u"Description").has_value());
    EXPECT_EQ(registry.value(Hive::LocalMachine, addinKey, u""),
              platform::RegistryValue(std::uint32_t{0}));

    const std::u16string appId = u"{6F9DE888-ABA8-41DE-820E-CD6832D24108}";
    const std::u16string publisher = u"CLSID\\{AD39471D-8825-435B-BFDD-C177A32E5F83}";
    EXPECT_EQ(registry.value(Hive::ClassesRoot, publisher, u"AppID"),
              platform::RegistryValue(appId));
    EXPECT_EQ(registry.value(Hive::ClassesRoot, u"AppID\\" + appId, u""),
              platform::RegistryValue(std::u16string(u"Quillcaster")));
    EXPECT_EQ(registry.value(Hive::ClassesRoot, publisher + u"\\InprocServer32", u"ThreadingModel"),
              platform::RegistryValue(std::u16string(u"Apartment")));
    const auto module = registry.value(Hive::ClassesRoot, publisher + u"\\InprocServer32", u"");
    ASSERT_TRUE(module.has_value());
    EXPECT_EQ(std::get<std::u16string>(*module).find(u'%'), std::u16string::npos);
    EXPECT_TRUE(registry.keyExists(Hive::ClassesRoot, publisher + u"\\Programmable"));

    // The bitmap handler has its own prefix and type library.
    EXPECT_TRUE(registry.keyExists(Hive::ClassesRoot, u"Brackenloft.BitmapHandler.1"));
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, u"Quillcaster.BitmapHandler"));
    EXPECT_EQ(registry.value(Hive::ClassesRoot,
                             u"CLSID\\{9A4140CD-B0E9-4DA6-A565-3456EB8C4690}\\TypeLib", u""),
              platform::RegistryValue(std::u16string(u"{A709A5DC-9D65-49D7-8173-4B0024EFCA4F}")));
    EXPECT_EQ(registry.value(Hive::ClassesRoot, u"Quillcaster.SwDocument\\CurVer", u""),
              platform::RegistryValue(std::u16string(u"Quillcaster.SwDocument.1")));
    EXPECT_EQ(registry.value(Hive::ClassesRoot,
                             u"TypeLib\\{FED43165-EDE9-4726-B057-92063DA5058A}\\1.0", u""),
              platform::RegistryValue(std::u16string(u"Quillcaster 1.0 Type Library")));

    // Registering again over stale content renews the class key whole.
    registry.setValue(Hive::ClassesRoot, publisher + u"\\Stale", u"", std::u16string(u"x"));
    ASSERT_EQ(DllRegisterServer(registry), platform::S_OK);
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, publisher + u"\\Stale"));

    ASSERT_EQ(DllUnregisterServer(registry), platform::S_OK);
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, addinKey));
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, kHostAddinsKey));
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, publisher));
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, u"Brackenloft.BitmapHandler"));
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, u"AppID\\" + appId));
    EXPECT_FALSE(
        registry.keyExists(Hive::ClassesRoot, u"TypeLib\\{FED43165-EDE9-4726-B057-92063DA5058A}"));
    EXPECT_TRUE(
        registry.keyExists(Hive::ClassesRoot, u"CLSID\\{00000000-1111-2222-3333-444444444444}"));
}

TEST(AddinModule, ClassObjectsAndUnloading)
{
    void* object = nullptr;
    EXPECT_EQ(DllGetClassObject(platform::guid(u"{00000000-1111-2222-3333-444444444444}"),
                                platform::IID_IClassFactory, &object),
              platform::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    const long before = Module().LockCount();
    for (const platform::Guid* clsid :
         {&ids::CLSID_DWFPublisherImp, &ids::CLSID_SwDocument, &ids::CLSID_BitmapHandler})
    {
        platform::ClassFactory* factory = nullptr;
        ASSERT_EQ(DllGetClassObject(*clsid, platform::IID_IClassFactory,
                                    reinterpret_cast<void**>(&factory)),
                  platform::S_OK);
        platform::Unknown* made = nullptr;
        EXPECT_EQ(factory->createInstance(platform::IID_IUnknown, reinterpret_cast<void**>(&made)),
                  platform::S_OK);
        EXPECT_EQ(DllCanUnloadNow(), platform::S_FALSE);
        made->release();
        factory->release();
    }
    EXPECT_EQ(Module().LockCount(), before);

    ASSERT_TRUE(App().InitInstance());
    EXPECT_TRUE(App().HasSatellite());
    platform::ui().removeString(210);
    EXPECT_TRUE(App().InitInstance());
    EXPECT_FALSE(App().HasSatellite());
    platform::ui().reset();
}

TEST_F(AddinConnection, ConnectAndDisconnectLeaveTheHostAsItWas)
{
    auto app = ThreeDocuments();
    app->menuNames[0] = u" (menu)";
    platform::VARIANT_BOOL answer = platform::VARIANT_FALSE;
    ASSERT_EQ(addin->Connect(app.get(), 7, &answer), platform::S_OK);
    EXPECT_EQ(answer, platform::VARIANT_TRUE);

    // Three menu items, one per document type, at position 6 (the active
    // part answers 1), named from string 201 and menu 0, with the icon.
    ASSERT_EQ(app->menuItems().size(), 3u);
    for (int type = 1; type <= 3; ++type)
    {
        const auto& item = app->menuItems()[static_cast<std::size_t>(type - 1)];
        EXPECT_EQ(item.documentType, type);
        EXPECT_EQ(item.position, 6);
        EXPECT_EQ(item.text, *platform::ui().string(201) + u" (menu)");
        EXPECT_EQ(item.callback, u"DWFPublish");
        EXPECT_EQ(item.enableCallback, u"DWFPublishEnable");
        EXPECT_EQ(item.hint, *platform::ui().string(205));
        EXPECT_NE(item.iconFile.find(u"resource/icon_DWF_16x16.bmp"), std::u16string::npos);
    }
    // One toolbar with one button, its images in files of our own.
    ASSERT_EQ(app->toolbars().size(), 1u);
    const auto& toolbar = app->toolbars().begin()->second;
    EXPECT_EQ(toolbar.title, u"Publish DWF");
    EXPECT_EQ(toolbar.buttons, 1);
    EXPECT_EQ(addin->ToolbarId(), toolbar.id);
    EXPECT_TRUE(platform::path::fileExists(toolbar.smallImageFile));
    EXPECT_TRUE(platform::path::fileExists(toolbar.largeImageFile));
    // Application events and one sink per document of its own type.
    EXPECT_EQ(app->applicationSinks(), 1u);
    EXPECT_EQ(addin->Documents().size(), 3u);
    for (host::memory::Document* document : app->documents())
    {
        EXPECT_EQ(document->documentSinks(), 1u);
        const auto& object = addin->Documents().at(document);
        EXPECT_NE(object->Cookie(document->documentType), CSwDocument::kNotAdvised);
    }

    const std::vector<std::string> connectLog = app->hostSession().callLog();
    EXPECT_EQ(CountContaining(connectLog, "setAddinCallbackInfo(7)"), 1u);
    EXPECT_EQ(CountContaining(connectLog, "addToolbar(7,Publish DWF,0,15)"), 1u);
    EXPECT_EQ(CountContaining(connectLog, "addToolbarButton(7,"), 1u);

    const std::u16string smallImage = toolbar.smallImageFile;
    platform::VARIANT_BOOL detached = platform::VARIANT_FALSE;
    EXPECT_EQ(addin->Disconnect(&detached), platform::E_NOTIMPL);
    EXPECT_EQ(detached, platform::VARIANT_TRUE);
    EXPECT_TRUE(app->menuItems().empty());
    EXPECT_TRUE(app->toolbars().empty());
    EXPECT_EQ(app->applicationSinks(), 0u);
    EXPECT_TRUE(addin->Documents().empty());
    for (host::memory::Document* document : app->documents())
        EXPECT_EQ(document->documentSinks(), 0u);
    EXPECT_FALSE(platform::path::fileExists(smallImage));
    EXPECT_EQ(addin->Application(), nullptr);
    const auto& log = app->hostSession().callLog();
    EXPECT_EQ(CountContaining(log, "removeMenuItem("), 3u);
    EXPECT_EQ(CountContaining(log, "removeToolbar(7,"), 1u);
    EXPECT_EQ(CountContaining(log, "unadviseDocumentEvents("), 3u);
    EXPECT_EQ(CountContaining(log, "unadviseApplicationEvents("), 1u);
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
}

TEST_F(AddinConnection, MenuPlacementFollowsTheActiveDocument)
{
    auto app = host::parseHostDocument(
        "<host-document><document type=\"3\" title=\"d.DRW\" menu-probe=\"0\"><drawing>"
        "<sheet name=\"S\" properties=\"0 0 0 0 0 0.42 0.297\"><view type=\"1\"/></sheet>"
        "</drawing></document></host-document>",
        u"");
    platform::VARIANT_BOOL answer = 0;
    addin->Connect(app.get(), 1, &answer);
    EXPECT_EQ(app->menuItems().front().position, 5);
    addin->Disconnect(&answer);

    app->setActiveDocument(nullptr);
    auto second = platform::ComPtr<CDWFPublisherImp>::adopt(CDWFPublisherImp::Create());
    second->Connect(app.get(), 1, &answer);
    EXPECT_EQ(app->menuItems().front().position, 6);
    second->Disconnect(&answer);
}

TEST_F(AddinConnection, ConnectingTwiceAdvisesTheApplicationOnce)
{
    auto app = ThreeDocuments();
    platform::VARIANT_BOOL answer = 0;
    addin->Connect(app.get(), 1, &answer);
    EXPECT_EQ(addin->AttachEventHandlers(), platform::VARIANT_FALSE);
    addin->Connect(app.get(), 1, &answer);
    EXPECT_EQ(app->applicationSinks(), 1u);
    EXPECT_EQ(addin->Documents().size(), 3u);
    addin->Disconnect(&answer);
    EXPECT_EQ(app->applicationSinks(), 0u);
    // Both toolbars' images went with the disconnection.
    for (const auto& name :
         addin->BitmapHandler() ? addin->BitmapHandler()->Files() : std::vector<std::u16string>{})
        EXPECT_FALSE(platform::path::fileExists(name));
}

TEST_F(AddinConnection, FileOpenEventsAttachNewDocumentsOnly)
{
    auto app = ThreeDocuments();
    platform::VARIANT_BOOL answer = 0;
    addin->Connect(app.get(), 1, &answer);

    // A document the host opens after the connection.
    auto* later = app->make<host::memory::Document>(*app);
    later->documentType = 1;
    later->documentTitle = u"late.PRT";
    later->path = u"/models/late.PRT";
    app->addDocument(later);

    EXPECT_EQ(app->notifyFileOpened(u"/models/unknown.PRT"), platform::S_OK);
    EXPECT_EQ(addin->Documents().size(), 3u);
    // Names compare exactly, case included.
    EXPECT_EQ(app->notifyFileOpened(u"/MODELS/late.prt"), platform::S_OK);
    EXPECT_EQ(addin->Documents().size(), 3u);
    EXPECT_EQ(app->notifyFileOpened(u"/models/late.PRT"), platform::S_OK);
    EXPECT_EQ(addin->Documents().size(), 4u);
    EXPECT_EQ(later->documentSinks(), 1u);
    // Already mapped: nothing changes.
    EXPECT_EQ(app->notifyFileOpened(u"/models/late.PRT"), platform::S_OK);
    EXPECT_EQ(later->documentSinks(), 1u);
    // Events 1 and 11 do nothing.
    EXPECT_EQ(addin->onApplicationEvent(1, u""), platform::S_OK);
    EXPECT_EQ(addin->onApplicationEvent(11, u""), platform::S_OK);

    // A document whose events cannot be advised is not attached.
    auto* odd = app->make<host::memory::Document>(*app);
    odd->documentType = 9;
    odd->path = u"/models/odd.XYZ";
    app->addDocument(odd);
    EXPECT_EQ(app->notifyFileOpened(u"/models/odd.XYZ"), platform::E_FAIL);
    EXPECT_EQ(addin->Documents().count(odd), 0u);
    addin->Disconnect(&answer);
}

TEST_F(AddinConnection, DocumentObjectsDetachOneByOne)
{
    auto app = ThreeDocuments();
    platform::VARIANT_BOOL answer = 0;
    addin->Connect(app.get(), 1, &answer);
    host::memory::Document* drawing = app->documents()[2];
    const auto object = addin->Documents().at(drawing);
    EXPECT_EQ(object->Type(), 3);
    // Advising again keeps the one sink.
    EXPECT_EQ(object->AttachEventHandlers(), platform::VARIANT_TRUE);
    EXPECT_EQ(drawing->documentSinks(), 1u);
    EXPECT_EQ(object->onDocumentEvent(26), platform::S_OK);

    EXPECT_EQ(object->DetachEventHandlers(), platform::VARIANT_TRUE);
    EXPECT_EQ(drawing->documentSinks(), 0u);
    EXPECT_EQ(addin->Documents().count(drawing), 0u);
    EXPECT_EQ(object->Cookie(3), CSwDocument::kNotAdvised);
    addin->Disconnect(&answer);
    EXPECT_EQ(answer, platform::VARIANT_TRUE);
}

TEST_F(AddinConnection, HostFailuresDuringConnectionAreReportedByTheirMethods)
{
    struct Case
    {
        const char* request;
        const char* method;
    };
    const Case cases[] = {
        {"Application::addToolbar", "CDWFPublisherImp::AddToolbar."},
        {"Application::addToolbarButton", "CDWFPublisherImp::AddToolbar."},
        {"Application::addMenuItem", "CDWFPublisherImp::AddMenus."},
        {"Application::adviseApplicationEvents", "CDWFPublisherImp::AttachEventHandlers."},
        {"Document::adviseDocumentEvents", "CDWFPublisherImp::AttachEventHandlers."},
        {"Application::removeToolbar", "CDWFPublisherImp::RemoveToolbar."},
        {"Application::removeMenuItem", "CDWFPublisherImp::RemoveMenus."},
        {"Application::unadviseApplicationEvents", "CDWFPublisherImp::DetachAllDocuments."},
        {"Document::unadviseDocumentEvents", "CSwDocument::DetachEventHandlers."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.request);
        platform::ui().reset();
        platform::ui().setEcho(false);
        auto app = ThreeDocuments();
        app->hostSession().failRequest(c.request);
        auto object = platform::ComPtr<CDWFPublisherImp>::adopt(CDWFPublisherImp::Create());
        platform::VARIANT_BOOL answer = 0;
        object->Connect(app.get(), 1, &answer);
        object->Disconnect(&answer);
        const auto& boxes = platform::ui().messageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text,
                  std::u16string(u"An error occurred while publishing the file. The error "
                                 u"occurred in ") +
                      platform::utf8ToUtf16(c.method));
        // Whatever failed, nothing of ours is left in the host, except a
        // sink the host itself refused to let go.
        if (std::string(c.request).find("unadvise") != std::string::npos)
            continue;
        EXPECT_EQ(app->applicationSinks(), 0u);
        for (host::memory::Document* document : app->documents())
            EXPECT_EQ(document->documentSinks(), 0u);
    }
}

TEST_F(AddinConnection, AMenuTextThatCannotBeAllocatedUndoesTheConnection)
{
    auto app = ThreeDocuments();
    platform::Bstr::failAllocations(1); // the first string handed to the host
    platform::VARIANT_BOOL answer = platform::VARIANT_TRUE;
    EXPECT_EQ(addin->Connect(app.get(), 1, &answer), platform::E_OUTOFMEMORY);
    platform::Bstr::failAllocations(0);
    EXPECT_EQ(answer, platform::VARIANT_FALSE);
    EXPECT_TRUE(app->menuItems().empty());
    EXPECT_TRUE(app->toolbars().empty());
    EXPECT_EQ(app->applicationSinks(), 0u);
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    addin->Disconnect(&answer);
}

TEST(BitmapHandler, FilesAreMadeForBitmapsAndRemovedByDispose)
{
    auto handler = platform::ComPtr<CBitmapHandler>::adopt(CBitmapHandler::Create());
    platform::Bstr small;
    platform::Bstr large;
    ASSERT_EQ(handler->CreateBitmapFileFromResource(3008, &small), platform::S_OK);
    // Only the low 16 bits name the resource.
    ASSERT_EQ(handler->CreateBitmapFileFromResource(0x10000 + 3007, &large), platform::S_OK);
    EXPECT_EQ(handler->Files(), (std::vector<std::u16string>{small.str(), large.str()}));
    EXPECT_EQ(platform::path::lastComponent(small.str()).rfind(u"quillcast-toolbar-", 0), 0u);

    // Not a bitmap: E_FAIL, an empty name, and no file left behind.
    platform::Bstr none(u"x");
    EXPECT_EQ(handler->CreateBitmapFileFromResource(3003, &none), platform::E_FAIL);
    EXPECT_TRUE(none.isNull());
    EXPECT_EQ(handler->Files().size(), 2u);

    EXPECT_EQ(handler->Dispose(), platform::S_OK);
    EXPECT_TRUE(handler->Files().empty());
    EXPECT_FALSE(platform::path::fileExists(small.str()));
    EXPECT_FALSE(platform::path::fileExists(large.str()));
}
} // namespace

namespace
{
TEST(BitmapHandler, ABitmapWithoutATemporaryFileIsNotedWithTheFolderAndReason)
{
    const char* previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    const std::string missing = ::testing::TempDir() + "qc-no-such-folder";
    ::setenv("TMPDIR", missing.c_str(), 1);
    publish_log::Reset();
    auto handler = platform::ComPtr<CBitmapHandler>::adopt(CBitmapHandler::Create());
    platform::Bstr name(u"x");
    EXPECT_EQ(handler->CreateBitmapFileFromResource(3007, &name), platform::E_FAIL);
    EXPECT_TRUE(name.isNull());
    EXPECT_EQ(publish_log::Notes(),
              std::vector<std::u16string>{platform::utf8ToUtf16(
                  "The toolbar has no image: cannot create a temporary file in '" + missing +
                  "/': No such file or directory")});
    publish_log::Reset();
    if (previous)
        ::setenv("TMPDIR", kept.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST(BitmapHandler, AHandlerReleasedWithoutDisposeStillRemovesItsFiles)
{
    platform::Bstr name;
    {
        auto handler = platform::ComPtr<CBitmapHandler>::adopt(CBitmapHandler::Create());
        ASSERT_EQ(handler->CreateBitmapFileFromResource(3007, &name), platform::S_OK);
        EXPECT_TRUE(platform::path::fileExists(name.str()));
    }
    EXPECT_FALSE(platform::path::fileExists(name.str()));
}

TEST(AddinObject, ReleasedWhileConnectedItLeavesNoDanglingDocuments)
{
    platform::ui().reset();
    platform::ui().setEcho(false);
    auto app = ThreeDocuments();
    platform::ComPtr<CSwDocument> survivor;
    {
        auto addin = platform::ComPtr<CDWFPublisherImp>::adopt(CDWFPublisherImp::Create());
        platform::VARIANT_BOOL answer = 0;
        addin->Connect(app.get(), 1, &answer);
        survivor = addin->Documents().begin()->second;
    }
    // The document object outlives the add-in; detaching it touches
    // nothing that is gone.
    EXPECT_EQ(survivor->DetachEventHandlers(), platform::VARIANT_TRUE);
    platform::ui().reset();
}
} // namespace
