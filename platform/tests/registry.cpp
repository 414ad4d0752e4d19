#include "platform/kernel/Registry.h"
#include "platform/com/Registration.h"
#include "platform/kernel/HostSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform;

TEST(Registry, KeyNamesIgnoreCaseAndKeepTheirSpelling)
{
    Registry registry;
    registry.setValue(Hive::LocalMachine, u"SOFTWARE\\Vendor\\Product", u"Name",
                      std::u16string(u"v"));
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, u"software\\VENDOR\\product"));
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, u"SOFTWARE"));
    EXPECT_EQ(registry.subkeys(Hive::LocalMachine, u"Software"),
              std::vector<std::u16string>{u"Vendor"});
    const auto value = registry.value(Hive::LocalMachine, u"SOFTWARE\\Vendor\\Product", u"NAME");
    ASSERT_TRUE(value);
    EXPECT_EQ(std::get<std::u16string>(*value), u"v");
    EXPECT_TRUE(registry.deleteKeyTree(Hive::LocalMachine, u"SOFTWARE\\Vendor"));
    EXPECT_FALSE(registry.keyExists(Hive::LocalMachine, u"SOFTWARE\\Vendor\\Product"));
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, u"SOFTWARE"));
    EXPECT_FALSE(registry.deleteKeyTree(Hive::LocalMachine, u"SOFTWARE\\Vendor"));
}

TEST(Registry, StringQueriesRespectTheCallersBuffer)
{
    Registry registry;
    const std::u16string value(127, u'x');
    registry.setValue(Hive::LocalMachine, kHostSetupKey, kToolboxIniFileValue, value);
    std::u16string out;
    // 256 bytes hold 127 characters and the terminator, not 128.
    EXPECT_EQ(
        registry.queryString(Hive::LocalMachine, kHostSetupKey, kToolboxIniFileValue, 256, out),
        ERROR_SUCCESS);
    EXPECT_EQ(out, value);
    registry.setValue(Hive::LocalMachine, kHostSetupKey, kToolboxIniFileValue, value + u"y");
    EXPECT_EQ(
        registry.queryString(Hive::LocalMachine, kHostSetupKey, kToolboxIniFileValue, 256, out),
        ERROR_MORE_DATA);
    EXPECT_TRUE(out.empty());
    registry.setValue(Hive::LocalMachine, kHostSetupKey, u"Number", std::uint32_t(5));
    EXPECT_EQ(registry.queryString(Hive::LocalMachine, kHostSetupKey, u"Number", 256, out),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.queryString(Hive::LocalMachine, u"Missing", u"x", 256, out),
              ERROR_FILE_NOT_FOUND);
}

namespace
{
// A script shaped like an add-in's: shared parents kept, its own key
// replaced whole, placeholders for the identifier and the module.
RegistrationScript addinScript()
{
    RegistrationScript script;
    script.id = 3001;
    script.keys = {
        {Hive::ClassesRoot, u"CLSID", std::nullopt, {}, true, false},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%",
         std::u16string(u"Sample Class"),
         {{u"AppID", std::u16string(u"%APPID%")}},
         false,
         true},
        {Hive::ClassesRoot,
         u"CLSID\\%CLSID%\\InprocServer32",
         std::u16string(u"%MODULE%"),
         {{u"ThreadingModel", std::u16string(u"Apartment")}},
         false,
         false},
        {Hive::LocalMachine, u"SOFTWARE", std::nullopt, {}, true, false},
        {Hive::LocalMachine, u"SOFTWARE\\Host", std::nullopt, {}, true, false},
        {Hive::LocalMachine, u"SOFTWARE\\Host\\AddIns", std::nullopt, {}, true, false},
        {Hive::LocalMachine,
         u"SOFTWARE\\Host\\AddIns\\%CLSID%",
         std::uint32_t(0),
         {{u"Description", std::u16string(u"Sample add-in")},
          {u"Title", std::u16string(u"Publish DWF")}},
         false,
         true},
    };
    return script;
}
const Replacements replacements = {{u"CLSID", u"{AD39471D-8825-435B-BFDD-C177A32E5F83}"},
                                   {u"APPID", u"{6F9DE888-ABA8-41DE-820E-CD6832D24108}"},
                                   {u"MODULE", u"/opt/quillcast/lib/addin.so"}};
} // namespace

TEST(Registration, ApplyingWritesKeysWithPlaceholdersReplaced)
{
    Registry registry;
    registry.setValue(Hive::ClassesRoot, u"CLSID\\{AD39471D-8825-435B-BFDD-C177A32E5F83}\\Stale",
                      u"", std::u16string(u"old"));
    applyScript(registry, addinScript(), replacements);
    const std::u16string key = u"CLSID\\{AD39471D-8825-435B-BFDD-C177A32E5F83}";
    EXPECT_FALSE(registry.keyExists(Hive::ClassesRoot, key + u"\\Stale"))
        << "a force-removed key is rewritten whole";
    EXPECT_EQ(std::get<std::u16string>(*registry.value(Hive::ClassesRoot, key, u"AppID")),
              u"{6F9DE888-ABA8-41DE-820E-CD6832D24108}");
    EXPECT_EQ(std::get<std::u16string>(
                  *registry.value(Hive::ClassesRoot, key + u"\\InprocServer32", u"")),
              u"/opt/quillcast/lib/addin.so");
    const std::u16string addin = u"SOFTWARE\\Host\\AddIns\\{AD39471D-8825-435B-BFDD-C177A32E5F83}";
    EXPECT_EQ(std::get<std::uint32_t>(*registry.value(Hive::LocalMachine, addin, u"")), 0u);
    EXPECT_EQ(std::get<std::u16string>(*registry.value(Hive::LocalMachine, addin, u"Title")),
              u"Publish DWF");
}

TEST(Registration, RemovingTakesTheAddinKeyWholeAndKeepsSharedParents)
{
    Registry registry;
    registry.setValue(Hive::ClassesRoot, u"CLSID\\{00000000-0000-0000-0000-000000000001}", u"",
                      std::u16string(u"other"));
    applyScript(registry, addinScript(), replacements);
    registry.setValue(Hive::LocalMachine,
                      u"SOFTWARE\\Host\\AddIns\\{AD39471D-8825-435B-BFDD-C177A32E5F83}\\Extra", u"",
                      std::u16string(u"x"));
    removeScript(registry, addinScript(), replacements);
    EXPECT_FALSE(registry.keyExists(
        Hive::LocalMachine, u"SOFTWARE\\Host\\AddIns\\{AD39471D-8825-435B-BFDD-C177A32E5F83}"));
    EXPECT_TRUE(registry.keyExists(Hive::LocalMachine, u"SOFTWARE\\Host\\AddIns"));
    EXPECT_FALSE(
        registry.keyExists(Hive::ClassesRoot, u"CLSID\\{AD39471D-8825-435B-BFDD-C177A32E5F83}"));
    EXPECT_TRUE(
        registry.keyExists(Hive::ClassesRoot, u"CLSID\\{00000000-0000-0000-0000-000000000001}"));
}

TEST(Registration, UnknownPlaceholdersStay)
{
    EXPECT_EQ(expandPlaceholders(u"%A%-%B%-%", {{u"A", u"1"}}), u"1-%B%-%");
    EXPECT_EQ(expandPlaceholders(u"100%", {}), u"100%");
}

TEST(HostSettings, TheCommandLineWinsOverTheEnvironment)
{
    Registry registry;
    ::setenv(kToolboxIniEnvironment, "/from/env/toolbox/x.ini", 1);
    EXPECT_EQ(seedToolboxIniFile(registry, std::u16string(u"/cli/toolbox/x.ini")),
              u"/cli/toolbox/x.ini");
    std::u16string out;
    EXPECT_EQ(
        registry.queryString(Hive::LocalMachine, kHostSetupKey, kToolboxIniFileValue, 256, out),
        ERROR_SUCCESS);
    EXPECT_EQ(out, u"/cli/toolbox/x.ini");
    EXPECT_EQ(seedToolboxIniFile(registry, std::nullopt), u"/from/env/toolbox/x.ini");
    ::unsetenv(kToolboxIniEnvironment);
    Registry untouched;
    EXPECT_FALSE(seedToolboxIniFile(untouched, std::nullopt));
    EXPECT_FALSE(untouched.keyExists(Hive::LocalMachine, kHostSetupKey));
}

TEST(HostSettings, TheDocumentsValueIsTheLastResort)
{
    ::unsetenv(kToolboxIniEnvironment);
    Registry registry;
    EXPECT_EQ(seedToolboxIniFile(registry, std::nullopt, std::u16string(u"/doc/toolbox/x.ini")),
              u"/doc/toolbox/x.ini");
    EXPECT_EQ(seedToolboxIniFile(registry, std::u16string(u"/cli/t/x.ini"),
                                 std::u16string(u"/doc/t/x.ini")),
              u"/cli/t/x.ini");
    Registry untouched;
    EXPECT_FALSE(seedToolboxIniFile(untouched, std::nullopt, std::u16string()));
}
