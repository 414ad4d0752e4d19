#pragma once
// Reads the host's material library, an XML file below the host's
// installation folder, one material at a time: its swatch colour and six
// optical values, the file name of its texture image and its cross-hatch
// angle and scale.
//
// The library is
//
//   <mstns:materials>                        (the prefix exactly so)
//     <classification>                       (any number)
//       <material>                           (numbered 0, 1, ... across all
//         <swatchcolor RGB="0x00BBGGRR as a decimal integer">
//           <first-child a0 a1 a2 a3 a4 a5/>  six values, read by position
//         </swatchcolor>
//         <shaders> ... <last-child texture-file .../> </shaders>
//         <xhatch angle="..." scale="..."/>
//
// and every part of a material may be missing. A value that is missing
// reads as 0 (a text as empty) and reading goes on with the next one, so
// that a sparse entry still gives its texture.
#include "platform/xml/Dom.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class MaterialDatabaseReader
{
public:
    // Where the library lies below the host's installation folder.
    static const char16_t kLibraryPath[];
    // The selection whose n-th element is material n.
    static const char16_t kMaterialsPath[];

    struct Material
    {
        float red = 0.0f; // 0 to 255
        float green = 0.0f;
        float blue = 0.0f;
        // The swatch colour's first child's attributes 0, 2, 3, 4, 1 and 5,
        // in this order.
        float swatch[6] = {};
        std::u16string textureFileName;
        float crossHatchScale = 0.0f;
        float crossHatchAngle = 0.0f;
    };

    MaterialDatabaseReader() = default;
    // Copies share the parsed library: a publish parses it once and hands
    // the reader on.
    MaterialDatabaseReader(const MaterialDatabaseReader&) = default;
    MaterialDatabaseReader& operator=(const MaterialDatabaseReader&) = default;

    // Loads the library. An empty path, a missing, unreadable, oversized or
    // malformed file leaves the reader without a library: every read then
    // finds nothing. Loading the path that is already loaded keeps what was
    // parsed.
    void Load(const std::u16string& path);
    // Why the last Load found no library when something is there that
    // cannot be read: the errno value of a file that could not be opened
    // (DWFCore::openRegularFile) or read whole (EFBIG past the DOM's size
    // limit), ENOENT for a link to nothing, and why the name could not be
    // looked at when opening found nothing there. 0 for an empty path, for
    // no file at all and for a file that was read but is not XML.
    int LoadError() const { return loadError_; }
    // Whether the last Load read a file whole that is not well-formed XML.
    bool Malformed() const { return malformed_; }
    // Loads a library from bytes, as Load does from a file.
    void LoadXml(std::string_view bytes);
    bool IsLoaded() const { return document_ != nullptr; }

    // The number of the material a document's material id names: the
    // number after the id's last '|' (1 the library's first material), or
    // the whole id read as a number when it holds no '|'. It is read as atoi
    // reads it (leading blanks, a sign, the digits up to the first other
    // character), but saturated beyond 64 bits rather than cut to 32, so
    // that no number outside the library wraps round onto a material of it.
    // Nothing when no digit is there: the id names no number.
    static std::optional<std::int64_t> MaterialNumber(std::u16string_view id);

    // Reads material `index` (0 the first) into the current material and
    // answers true; an index outside the library leaves the current
    // material as it was and answers false.
    bool ReadMaterials(int index);
    int MaterialCount() const;
    const Material& CurrentMaterial() const { return material_; }

    // The steps of one material.
    void ReadMaterial(const platform::xml::Element& material);
    void ReadSwatchColor(const platform::xml::Element& material);
    void ReadShaders(const platform::xml::Element& material);
    void ReadCrossHatch(const platform::xml::Element& material);

    // The elements a path reaches from the document; nothing without one.
    std::vector<platform::xml::Element> SelectNodes(std::u16string_view xpath) const;

    // Value helpers: a missing value reads as 0 or as the empty text. The
    // integers are read as the C library's "%d" and atoi read them (leading
    // blanks, a sign, the digits up to the first other character, nothing
    // is 0), in the C locale; values beyond 64 bits saturate and are then
    // cut to 32 bits as those functions do.
    static int GetIntAttribute(const std::optional<std::u16string>& value);
    // The integer part of the text as a float: "0.5" reads as 0, "45.7" as 45.
    static float GetIntValue(const std::optional<std::u16string>& value);
    static std::u16string GetText(const std::optional<std::u16string>& value);

private:
    std::shared_ptr<const platform::xml::Document> document_;
    std::u16string loadedPath_;
    int loadError_ = 0;
    bool malformed_ = false;
    Material material_;
};
