#pragma once
// A published part or assembly package read back twice: by the independent
// tools (python3 zipfile extracting every entry, xmllint on the XML ones,
// 7z testing the archive with the password) and by our own readers (the ZIP
// package reader, the manifest and section descriptor, the object definition
// reader and the W3D stream reader).
#include "addin/tests/GeometryCapture.h"
#include "addin/tests/PublishHarness.h"
#include "dwf/package/BytesInputStream.h"
#include "dwf/package/EModelSection.h"
#include "dwf/package/Manifest.h"
#include "dwf/package/ObjectDefinition.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwf/package/reader/ZipPackageReader.h"
#include "dwf/w3dtk/records/texture.h"
#include "dwf/w3dtk/records/w3d_image.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace model_package
{
using publish_test::Quoted;
using publish_test::RunCommand;

struct Resource
{
    std::string role, mime, title, href;
    std::string file; // the entry as python3 extracted it
};

struct ModelPackage
{
    std::string header;
    std::vector<std::string> entries; // in archive order
    std::vector<Resource> resources;
    // The W3D stream.
    geometry_test::Node tree;
    int shells = 0;
    int matrices = 0;
    std::vector<std::string> segments;      // named segments, in stream order
    std::vector<std::string> images;        // image records
    std::vector<std::string> textureImages; // the images texture definitions use
    std::vector<std::string> textureNames;  // the texture definitions
    std::vector<std::string> namedChannels; // colour channels naming a texture
    int materialColours = 0;                // colours from material values
    // The object definition: the names of the objects, and every property
    // as "category/name=value".
    std::set<std::string> objects;
    std::set<std::string> properties;
    // What python3's XML parser finds named in the object definition but
    // defined nowhere in it, as "attribute id" ("refs", "children",
    // "object"); empty when every reference resolves.
    std::vector<std::string> unresolved;
    // The name of the object each instance shows, by the name of the
    // segment its nodes (a stream index: the n-th tagged record) denote.
    std::map<std::string, std::string> segmentNames;
    // How many property sets the instance of each object refers to, by the
    // object's name (summed over its instances).
    std::map<std::string, std::size_t> propertySetReferences;
    // The properties the instances of each object refer to (through the
    // sets' own references too), as "category/name=value", by its name.
    std::map<std::string, std::set<std::string>> propertiesOf;

    std::vector<Resource> withRole(const std::string& role) const
    {
        std::vector<Resource> found;
        for (const Resource& resource : resources)
            if (resource.role == role)
                found.push_back(resource);
        return found;
    }
};

inline std::string Utf8(const DWFCore::DWFString& text)
{
    return text.toUTF8();
}

inline std::string PropertyLine(const DWFToolkit::DWFProperty& property)
{
    return Utf8(property.category()) + "/" + Utf8(property.name()) + "=" + Utf8(property.value());
}

// Every property of the sets `instance` refers to, following references.
inline void CollectProperties(const DWFToolkit::DWFObjectDefinition& definition,
                              const DWFToolkit::DWFDefinedObjectInstance& instance,
                              std::set<std::string>& into)
{
    using Set = DWFToolkit::DWFObjectDefinition::PropertySet;
    std::vector<const Set*> pending;
    for (const DWFCore::DWFString& id : instance.getPropertySetReferences())
        pending.push_back(definition.findPropertySet(id));
    std::set<const Set*> seen;
    while (!pending.empty())
    {
        const Set* set = pending.back();
        pending.pop_back();
        if (!set || !seen.insert(set).second)
            continue;
        for (const auto& property : set->properties)
            into.insert(PropertyLine(*property));
        pending.insert(pending.end(), set->references.begin(), set->references.end());
    }
}

inline std::vector<std::uint8_t> ReadEntry(DWFToolkit::DWFZipPackageReader& reader,
                                           const DWFCore::DWFString& href)
{
    std::unique_ptr<DWFCore::DWFInputStream> stream(reader.getInputStream(href, false));
    std::vector<std::uint8_t> bytes;
    char buffer[4096];
    for (std::size_t n; stream && (n = stream->read(buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    return bytes;
}

// Writes `source` to `script`, runs it by python3 with `arguments` and returns
// the lines it printed; a run that fails fails the test, with its output.
inline std::vector<std::string> PythonLines(const std::string& script, const std::string& source,
                                            const std::vector<std::string>& arguments)
{
    std::ofstream(script) << source;
    std::string command = "python3 " + Quoted(script);
    for (const std::string& argument : arguments)
        command += " " + Quoted(argument);
    std::string listing;
    EXPECT_EQ(RunCommand(command + " 2>&1", &listing), 0) << listing;
    std::vector<std::string> lines;
    std::istringstream stream(listing);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Every id the object definition at `file` names that no element of the
// right kind defines: property sets by "refs", objects by an object's
// "children" and an instance's "object", instances by an instance's
// "children". Read by python3, apart from our own reader.
inline std::vector<std::string> UnresolvedReferences(const std::string& file,
                                                     const std::string& scratch)
{
    return PythonLines(scratch + "/references.py",
                       "import sys, xml.etree.ElementTree as ET\n"
                       "ids = {'Properties': set(), 'Object': set(), 'Instance': set()}\n"
                       "elements = list(ET.parse(sys.argv[1]).iter())\n"
                       "def kind(e): return e.tag.split('}')[-1]\n"
                       "for e in elements:\n"
                       "    if kind(e) in ids: ids[kind(e)].add(e.get('id'))\n"
                       "for e in elements:\n"
                       "    named = [('refs', 'Properties')]\n"
                       "    if kind(e) in ('Object', 'Instance'):\n"
                       "        named.append(('children', kind(e)))\n"
                       "    if kind(e) == 'Instance': named.append(('object', 'Object'))\n"
                       "    for attribute, target in named:\n"
                       "        for id in (e.get(attribute) or '').split():\n"
                       "            if id not in ids[target]: print(attribute, id)\n",
                       {file});
}

// Reads the package at `path` (entries extracted below `scratch`).
inline ModelPackage ReadModelPackage(const std::string& path, const std::string& password,
                                     const std::string& scratch)
{
    ModelPackage package;
    const auto bytes = publish_test::ReadBytes(path);
    package.header.assign(bytes.begin(), bytes.begin() + std::min<std::size_t>(12, bytes.size()));

    // python3 zipfile: every entry extracted (each CRC checked), in order.
    RunCommand("mkdir -p " + Quoted(scratch));
    package.entries =
        PythonLines(scratch + "/inspect.py",
                    "import sys, zipfile\n"
                    "z = zipfile.ZipFile(sys.argv[1])\n"
                    "pwd = sys.argv[2].encode() if sys.argv[2] else None\n"
                    "for i, info in enumerate(z.infolist()):\n"
                    "    open(sys.argv[3] + '/' + str(i), 'wb').write(z.read(info, pwd))\n"
                    "    print(info.filename)\n",
                    {path, password, scratch});
    std::map<std::string, std::string> extracted;
    for (std::size_t i = 0; i < package.entries.size(); ++i)
        extracted[package.entries[i]] = scratch + "/" + std::to_string(i);

    for (const auto& [name, file] : extracted)
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0)
        {
            std::string out;
            EXPECT_EQ(RunCommand("xmllint --noout " + Quoted(file) + " 2>&1", &out), 0)
                << name << ": " << out;
        }
    if (publish_test::HaveTool("7z"))
    {
        std::string out;
        EXPECT_EQ(RunCommand("7z t -p" + Quoted(password) + " " + Quoted(path) + " 2>&1", &out), 0)
            << out;
    }

    // Our readers.
    DWFToolkit::DWFZipPackageReader reader(DWFCore::DWFString(path.c_str()),
                                           DWFCore::DWFString(password.c_str()));
    DWFToolkit::DWFManifest manifest(u"", &reader);
    {
        std::unique_ptr<DWFCore::DWFInputStream> stream(
            reader.getInputStream(u"manifest.xml", false));
        EXPECT_NE(stream, nullptr);
        if (!stream)
            return package;
        DWFToolkit::DWFParseXMLDocument(*stream, manifest);
    }
    const auto& sections = manifest.getContentSections();
    EXPECT_EQ(sections.size(), 1u);
    if (sections.size() != 1)
        return package;
    DWFToolkit::DWFSection& section = *sections.front();
    EXPECT_NE(dynamic_cast<DWFToolkit::DWFEModelSection*>(&section), nullptr);
    section.readDescriptor();

    // Stream indices, as the object definition names them, to segment names.
    std::map<std::string, std::string> taggedSegments;
    for (const char16_t* role : {u"3d streaming graphics", u"object definition", u"texture",
                                 u"thumbnail"})
    {
    std::unique_ptr<DWFToolkit::DWFResourceContainer::ResourceIterator> all(
        section.findResourcesByRole(role));
    for (; all && all->valid(); all->next())
    {
        DWFToolkit::DWFResource* resource = all->get();
        Resource r{Utf8(resource->role()), Utf8(resource->mime()), Utf8(resource->title()),
                   Utf8(resource->href()), extracted[Utf8(resource->href())]};
        package.resources.push_back(r);
        if (r.role == "3d streaming graphics")
        {
            package.tree = geometry_test::ReadTree(ReadEntry(reader, resource->href()));
            // A tag gives the record before it the next stream index.
            int tags = 0;
            std::string opened;
            bool justOpened = false;
            w3d_test::read_stream(
                ReadEntry(reader, resource->href()), 4096,
                [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
                {
                    if (handler.Opcode() == 'q')
                    {
                        if (justOpened)
                            taggedSegments[std::to_string(tags)] = opened;
                        ++tags;
                    }
                    justOpened = false;
                    if (auto* open = dynamic_cast<TK_Open_Segment*>(&handler))
                        opened = open->GetSegment(), justOpened = true;
                    if (dynamic_cast<TK_Shell*>(&handler))
                        ++package.shells;
                    else if (dynamic_cast<TK_Matrix*>(&handler))
                        ++package.matrices;
                    else if (auto* open = dynamic_cast<TK_Open_Segment*>(&handler))
                    {
                        if (!open->GetSegment().empty())
                            package.segments.push_back(open->GetSegment());
                    }
                    else if (auto* image = dynamic_cast<W3D_Image*>(&handler))
                        package.images.push_back(image->GetName());
                    else if (auto* texture = dynamic_cast<TK_Texture*>(&handler))
                    {
                        package.textureImages.push_back(texture->GetImage());
                        package.textureNames.push_back(texture->GetName());
                    }
                    else if (auto* colour = dynamic_cast<TK_Color*>(&handler))
                    {
                        if (!colour->GetChannel(0).name.empty())
                            package.namedChannels.push_back(colour->GetChannel(0).name);
                        else if (colour->GetChannels() == 0x0F)
                            ++package.materialColours;
                    }
                });
        }
        else if (r.role == "object definition")
        {
            package.unresolved = UnresolvedReferences(r.file, scratch);
            const auto xml = ReadEntry(reader, resource->href());
            DWFToolkit::DWFBytesInputStream stream(
                std::vector<unsigned char>(xml.begin(), xml.end()));
            DWFToolkit::DWFObjectDefinition definition;
            DWFToolkit::DWFParseXMLDocument(stream, definition);
            for (const auto& [id, object] : definition.getObjects())
                if (DWFToolkit::DWFProperty* name = object->findProperty(u"_name", u"hidden"))
                    package.objects.insert(Utf8(name->value()));
            for (const auto& [id, instance] : definition.getInstances())
                if (DWFToolkit::DWFDefinedObject* object =
                        definition.findObject(instance->objectReference()))
                    if (DWFToolkit::DWFProperty* name = object->findProperty(u"_name", u"hidden"))
                    {
                        package.segmentNames[taggedSegments[Utf8(instance->nodes())]] =
                            Utf8(name->value());
                        package.propertySetReferences[Utf8(name->value())] +=
                            instance->getPropertySetReferences().size();
                        CollectProperties(definition, *instance,
                                          package.propertiesOf[Utf8(name->value())]);
                    }
            for (const auto& [id, set] : definition.getPropertySets())
                for (const auto& property : set->properties)
                {
                    const std::string line = PropertyLine(*property);
                    if (Utf8(property->name()) == "_name")
                        package.objects.insert(Utf8(property->value()));
                    else
                        package.properties.insert(line);
                }
        }
    }
    }
    return package;
}

} // namespace model_package
