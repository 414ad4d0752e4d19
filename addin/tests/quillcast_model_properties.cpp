// The quillcast program on what a part or assembly says about itself: its
// mass properties keep their digits however small they are, and a library
// material that the library does not hold is named with its reason, once.
// Each package is read back by the independent tools and our readers.
#include "addin/tests/ModelPackage.h"
#include "addin/tests/QuillcastFaultRuns.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace publish_test;

namespace
{
const std::string kExamples = QUILLCAST_SOURCE_DIR "/examples/";
const std::string kDataFolder = kExamples + "host-data";

class QuillcastModelProperties : public QuillcastFaultRuns
{
protected:
    void SetUp() override
    {
        QuillcastFaultRuns::SetUp();
        if (!IsSkipped() && (!HaveTool("python3") || !HaveTool("xmllint")))
            GTEST_SKIP() << "python3 and xmllint are needed";
    }
    // Publishes `document` with the examples' host data; answers the exit
    // status, standard error in `errors`, and the package read back.
    int Publish(const std::string& document, std::string& errors, model_package::ModelPackage& out)
    {
        const int status = Quillcast("publish " + Quoted(document) + " -o " + Quoted(Target()) +
                                         " --force --quiet --data-folder " + Quoted(kDataFolder),
                                     errors);
        out = model_package::ReadModelPackage(Target(), "",
                                              root_ + "/read-" + std::to_string(++reads_));
        return status;
    }
    // A sample document in the fixture's folder, its pictures still found.
    std::string Sample(const std::string& name, const std::string& text)
    {
        return Document(name, Replaced(text, "picture=\"", "picture=\"" + kExamples));
    }
    static bool HasTexture(const model_package::ModelPackage& package, const std::string& part)
    {
        return std::any_of(package.textureNames.begin(), package.textureNames.end(),
                           [&](const std::string& name)
                           { return name.find(part) != std::string::npos; });
    }

    int reads_ = 0;
};
} // namespace

TEST_F(QuillcastModelProperties, MassPropertiesKeepSevenSignificantDigits)
{
    // The sample part's volume and moments of inertia, worked out by
    // python3's decimal module: the exact value rounded at the decimal that
    // keeps seven significant digits, six decimals at least, without zeros
    // beyond the sixth decimal (the other values keep their six decimals).
    std::string errors;
    model_package::ModelPackage package;
    ASSERT_EQ(Publish(Sample("part.xml", ExampleText("sample-part.xml")), errors, package), 0)
        << errors;
    for (const char* property :
         {"Mass/CenterMass(m)=(0.020000,0.020000,0.005000)", "Mass/Volume(m^3)=0.0000152146",
          "Mass/Area(m^2)=0.004957", "Mass/Mass(kg)=0.041079",
          "Mass/MomentInertia(kg^m^2)=(0.0000055,0.0000055,0.0000105,0.000000,0.000000,0.000000)"})
        EXPECT_EQ(package.properties.count(property), 1u) << property;

    // A small part's: a centimetre cube's volume, moments far below a
    // millionth, negative values and a large area.
    const std::string small = Replaced(
        ExampleText("sample-part.xml"),
        "0.02 0.02 0.005  0.0000152146 0.004957 0.041079\n      0.0000055 0.0000055 0.0000105",
        "1e-8 -2.5e-7 0  1e-8 12345678.9 7.85e-5  1e-15 2.5e-15 -3e-15");
    ASSERT_EQ(Publish(Sample("small.xml", small), errors, package), 0) << errors;
    for (const char* property :
         {"Mass/CenterMass(m)=(0.00000001,-0.00000025,0.000000)", "Mass/Volume(m^3)=0.00000001",
          "Mass/Area(m^2)=12345678.900000", "Mass/Mass(kg)=0.0000785",
          "Mass/MomentInertia(kg^m^2)=(0.000000000000001,0.0000000000000025,-0.000000000000003,"
          "0.000000,0.000000,0.000000)"})
        EXPECT_EQ(package.properties.count(property), 1u) << property;
    ExpectNoTemporaryFiles();
}

TEST_F(QuillcastModelProperties, ALibraryMaterialTheLibraryDoesNotHoldIsNamedWithItsReason)
{
    const std::string library = kDataFolder + "/lang/english/sldmaterials/host materials.sldmat";
    const std::string outside = "'" + library + "' holds 3 materials, numbered from 1";
    const std::string notANumber = "the text after its last '|' is not a number";
    struct Case
    {
        std::string id;
        std::string reason;
    };
    // 4294967298 is 2 once cut to 32 bits: it must not pick material 2.
    const std::vector<Case> cases = {
        {"host materials|7", outside},
        {"host materials|0", outside},
        {"host materials|-1", outside},
        {"host materials|4294967298", outside},
        {"host materials|x", notANumber},
        {"host materials|", notANumber},
        {"Steel", "it holds no '|' and is not a number"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.id);
        const std::string document =
            Sample("part.xml", Replaced(ExampleText("sample-part.xml"), "id=\"host materials|2\"",
                                        "id=\"" + c.id + "\""));
        std::string errors;
        model_package::ModelPackage package;
        EXPECT_EQ(Publish(document, errors, package), 3) << errors;
        EXPECT_EQ(CauseLine(errors), "The material '" + c.id +
                                         "' is not in the material library: " + c.reason +
                                         "; it goes without its texture")
            << errors;
        EXPECT_EQ(Occurrences(errors, "cause:"), 1u) << errors;
        // Its texture is left out, the face's own is there.
        EXPECT_FALSE(HasTexture(package, "brushed"));
        EXPECT_TRUE(HasTexture(package, "oak"));
    }

    // In an assembly, a material is named once however many components
    // show it: both pins are written, and their model names material 7; the
    // bracket's model names its material by a plain name.
    std::string assembly = ExampleText("sample-assembly.xml");
    assembly = Replaced(assembly, "id=\"host materials|3\"", "id=\"host materials|7\"");
    assembly =
        Replaced(assembly, "<material name=\"Steel\"", "<material name=\"Steel\" id=\"Steel\"");
    assembly = Replaced(
        assembly, "<component name=\"pin-2\" document=\"pin.PRT\" state=\"1\" excluded=\"1 0\"/>",
        "<component name=\"pin-2\" document=\"pin.PRT\" state=\"1\" "
        "transform=\"1 0 0 0 1 0 0 0 1 0.02 0.01 0.003 1\"><body><face triangles=\"1\">"
        "<triangles>0 0 0 0.006 0 0 0.003 0.006 0.02</triangles>"
        "<normals>0 -1 0 0 -1 0 0 -1 0</normals></face></body></component>");
    std::string errors;
    model_package::ModelPackage package;
    EXPECT_EQ(Publish(Sample("assembly.xml", assembly), errors, package), 3) << errors;
    EXPECT_EQ(Occurrences(errors, "cause:"), 2u) << errors;
    EXPECT_EQ(Occurrences(errors, "The material 'host materials|7' is not in the material "
                                  "library: " +
                                      outside + "; it goes without its texture\n"),
              1u)
        << errors;
    EXPECT_EQ(Occurrences(errors, "The material 'Steel' is not in the material library: it "
                                  "holds no '|' and is not a number; it goes without its "
                                  "texture\n"),
              1u)
        << errors;
    EXPECT_EQ(package.objects.count("pin-1"), 1u);
    EXPECT_EQ(package.objects.count("pin-2"), 1u);
    ExpectNoTemporaryFiles();
}
