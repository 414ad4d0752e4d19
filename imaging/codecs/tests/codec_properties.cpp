// The property model: typed bases keep their ranges and defaults, clones
// are deep, sets own what they hold and copy by cloning.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/FormatCodecTransparency.h"
#include "imaging/codecs/properties/PropertySetProperties.h"
#include "imaging/codecs/properties/ValueProperties.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Omvi;

namespace
{

// Concrete properties as a codec would make them. Each counts its live
// objects so that the tests see sets delete what they own.
int liveProperties = 0;

template <typename Base>
class Counted : public Base
{
public:
    template <typename... Arguments>
    explicit Counted(const char* name, Arguments... arguments) : Base(arguments...)
    {
        this->setName(AsciiStringBuffer(name));
        ++liveProperties;
    }
    Counted(const Counted& other) : Base(other) { ++liveProperties; }
    ~Counted() override { --liveProperties; }
};

template <typename Base>
class Simple : public Counted<Base>
{
public:
    using Counted<Base>::Counted;
    Simple* clone() const override { return new Simple(*this); }
};

using IntProperty = Simple<FormatCodecIntProperty>;
using DoubleProperty = Simple<FormatCodecDoubleProperty>;
using BooleanProperty = Simple<FormatCodecBooleanProperty>;
using AssociationProperty = Simple<FormatCodecAssociation>;

class StringProperty : public Counted<FormatCodecStringProperty>
{
public:
    StringProperty(const char* name, const char* defaultText, std::int32_t limit)
        : Counted<FormatCodecStringProperty>(name, FormatCodecPropertyInterface::kPrivate,
                                             AsciiStringBuffer(defaultText), AsciiStringBuffer(defaultText), limit)
    {
    }
    StringProperty* clone() const override { return new StringProperty(*this); }
};

class Density : public Counted<FormatCodecDensity>
{
public:
    Density(double x, double y, std::int32_t unit) : Counted<FormatCodecDensity>("Density", x, y, unit) {}
    std::int32_t codecSpecificValue() const override { return 7; }
    Density* clone() const override { return new Density(*this); }
};

class Organisation : public Counted<FormatCodecDataOrganization>
{
public:
    Organisation() : Counted<FormatCodecDataOrganization>("Organisation", 1)
    {
        setDefaultTileSize(256, 128);
        setDefaultThirdSize(0);  // not positive: no default
    }
    Organisation* clone() const override { return new Organisation(*this); }
};

class Transparency : public Counted<FormatCodecTransparency>
{
public:
    Transparency() : Counted<FormatCodecTransparency>("Transparency") {}
    Transparency* clone() const override { return new Transparency(*this); }
};

class Choices : public Counted<FormatCodecExclusivePropertySetInterface>
{
public:
    Choices() : Counted<FormatCodecExclusivePropertySetInterface>("Choices", FormatCodecPropertyInterface::kCompression)
    {
    }
    Choices* clone() const override { return new Choices(*this); }
};

class PropertyModel : public ::testing::Test
{
protected:
    void SetUp() override { liveProperties = 0; }
    void TearDown() override { EXPECT_EQ(liveProperties, 0) << "a property was leaked or deleted twice"; }
};

} // namespace

TEST_F(PropertyModel, RootFieldsStartAsTheModelSays)
{
    IntProperty property("Quality", FormatCodecPropertyInterface::kCompression, 0, 100, 75);
    EXPECT_EQ(property.propertyType(), FormatCodecPropertyInterface::kCompression);
    EXPECT_EQ(property.valueType(), FormatCodecPropertyInterface::kInteger);
    EXPECT_FALSE(property.firstFlag());
    EXPECT_FALSE(property.secondFlag());
    EXPECT_EQ(property.firstCode(), -1);
    EXPECT_EQ(property.secondCode(), 1);
    EXPECT_TRUE(property.description().isEmpty());
    StringBuffer text;
    EXPECT_FALSE(property.valueAsText(text));
    EXPECT_TRUE(property.hasName(AsciiStringBuffer("Quality")));
    EXPECT_FALSE(property.hasName(AsciiStringBuffer("quality")));
}

TEST_F(PropertyModel, ValuePropertiesRefuseValuesOutsideTheirRange)
{
    IntProperty integer("Int", 0, 0, 100, 75);
    EXPECT_FALSE(integer.setValue(101));
    EXPECT_EQ(integer.value(), 75);
    EXPECT_FALSE(integer.setValue(-1));
    EXPECT_TRUE(integer.setValue(0));
    EXPECT_EQ(integer.value(), 0);
    EXPECT_EQ(integer.defaultValue(), 75);
    std::int32_t low = 0;
    std::int32_t high = 0;
    integer.getRange(&low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);

    DoubleProperty real("Double", 0, 1e-7, 2.0, 0.45);
    EXPECT_FALSE(real.setValue(0.0));
    EXPECT_FALSE(real.setValue(std::nan("")));
    EXPECT_DOUBLE_EQ(real.value(), 0.45);
    EXPECT_TRUE(real.setValue(2.0));
    EXPECT_DOUBLE_EQ(real.value(), 2.0);
    EXPECT_DOUBLE_EQ(real.defaultValue(), 0.45);
    EXPECT_EQ(real.valueType(), FormatCodecPropertyInterface::kDouble);

    BooleanProperty flag("Flag", 0, true, false);
    EXPECT_TRUE(flag.value());
    EXPECT_FALSE(flag.defaultValue());
    flag.setValue(false);
    EXPECT_FALSE(flag.value());

    StringProperty text("Comment", "none", 65530);
    EXPECT_EQ(text.lengthLimit(), 65530);
    EXPECT_EQ(text.secondTextCode(), 0);
    EXPECT_FALSE(text.setText(AsciiStringBuffer("")));
    EXPECT_TRUE(text.text().isEmpty());  // stored even so
    EXPECT_TRUE(text.setText(AsciiStringBuffer("hello")));
    EXPECT_EQ(text.text().text(), "hello");
    EXPECT_EQ(text.defaultText().text(), "none");
}

TEST_F(PropertyModel, CompoundPropertiesKeepTheirDefaults)
{
    Density density(300, 200, FormatCodecDensity::kPerInch);
    EXPECT_EQ(density.propertyType(), FormatCodecPropertyInterface::kDensity);
    EXPECT_EQ(density.valueType(), FormatCodecPropertyInterface::kCompound);
    EXPECT_TRUE(density.setDensity(10, 20));
    EXPECT_TRUE(density.setUnit(FormatCodecDensity::kPerCentimetre));
    double x = 0;
    double y = 0;
    density.getDensity(&x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    density.getDefault(&x, &y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
    EXPECT_EQ(density.unit(), FormatCodecDensity::kPerCentimetre);
    EXPECT_EQ(density.defaultUnit(), FormatCodecDensity::kPerInch);
    EXPECT_EQ(density.codecSpecificValue(), 7);

    Organisation organisation;
    std::int32_t width = 0;
    std::int32_t height = 0;
    organisation.getTileSize(&width, &height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 128);
    EXPECT_FALSE(organisation.setTileSize(0, 16));
    EXPECT_FALSE(organisation.setTileSize(16, -1));
    organisation.getTileSize(&width, &height);
    EXPECT_EQ(width, 256);
    EXPECT_TRUE(organisation.setTileSize(64, 32));
    organisation.getTileSize(&width, &height);
    EXPECT_EQ(width, 64);
    EXPECT_EQ(height, 32);
    EXPECT_EQ(organisation.thirdSize(), -1);
    EXPECT_FALSE(organisation.setThirdSize(0));
    EXPECT_TRUE(organisation.setThirdSize(8));
    EXPECT_EQ(organisation.thirdSize(), 8);
    EXPECT_TRUE(organisation.setCode(2));
    EXPECT_EQ(organisation.code(), 2);
    EXPECT_EQ(organisation.defaultCode(), 1);

    AssociationProperty association("Association", 3, 4);
    EXPECT_EQ(association.propertyType(), FormatCodecPropertyInterface::kAssociation);
    association.setSecond(9);
    EXPECT_EQ(association.first(), 3);
    EXPECT_EQ(association.second(), 9);
}

TEST_F(PropertyModel, TransparencyGettersBelongToTheirLayout)
{
    Transparency transparency;
    EXPECT_EQ(transparency.kind(), FormatCodecTransparency::kAlphaChannel);
    std::uint8_t table[256];
    EXPECT_FALSE(transparency.getAlphaTable(table));

    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(255 - i);
    EXPECT_FALSE(transparency.setAlphaTable(FormatCodecTransparency::kColorKeys, table));
    ASSERT_TRUE(transparency.setAlphaTable(FormatCodecTransparency::kPaletteAlpha, table));
    EXPECT_EQ(transparency.byteSize(), 256);
    std::uint8_t rgb[6];
    std::uint32_t words[2];
    EXPECT_FALSE(transparency.getRgbKeys(rgb, 2));  // kind 1 refuses the key getters
    EXPECT_FALSE(transparency.getWordKeys(words, 2));
    std::uint8_t copy[256] = {};
    ASSERT_TRUE(transparency.getAlphaTable(copy));
    EXPECT_EQ(copy[0], 255);
    EXPECT_EQ(copy[255], 0);

    const std::uint8_t keys[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(transparency.setRgbKeys(2, keys));
    EXPECT_EQ(transparency.kind(), FormatCodecTransparency::kColorKeys);
    EXPECT_EQ(transparency.entryCount(), 2);
    EXPECT_EQ(transparency.keyWidth(), 24);
    EXPECT_EQ(transparency.byteSize(), 6);
    EXPECT_FALSE(transparency.getAlphaTable(copy));
    EXPECT_FALSE(transparency.getWordKeys(words, 2));  // 24-bit keys are not 32-bit keys
    ASSERT_TRUE(transparency.getRgbKeyWords(words, 2));
    const std::uint8_t* bytes = reinterpret_cast<const std::uint8_t*>(words);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes[4], 4);
    EXPECT_EQ(bytes[7], 0);
    std::uint8_t one[3] = {};
    ASSERT_TRUE(transparency.getRgbKeys(one, 1));  // copies no more than asked
    EXPECT_EQ(one[2], 3);

    const std::uint16_t shorts[1] = {0x1234};
    ASSERT_TRUE(transparency.setShortKeys(1, shorts));
    std::uint16_t shortCopy = 0;
    EXPECT_TRUE(transparency.getShortKeys(&shortCopy, 1));
    EXPECT_EQ(shortCopy, 0x1234);
    EXPECT_FALSE(transparency.setLongKeys(-1, nullptr));
    EXPECT_FALSE(transparency.setWordKeys(2, nullptr));

    std::unique_ptr<Transparency> clone(transparency.clone());
    transparency.setAlphaChannel();
    EXPECT_EQ(transparency.byteSize(), 0);
    EXPECT_TRUE(clone->getShortKeys(&shortCopy, 1));
}

TEST_F(PropertyModel, SetsOwnClonesAndCopiesAreIndependent)
{
    auto set = std::make_unique<FormatCodecPropertySetIterator>();
    EXPECT_TRUE(set->isDone());
    EXPECT_EQ(set->current(), nullptr);
    for (int i = 0; i < 12; ++i)
    {
        IntProperty value("Int", i % 2 == 0 ? FormatCodecPropertyInterface::kCompression
                                            : FormatCodecPropertyInterface::kPrivate,
                          0, 100, i);
        set->append(&value);
    }
    set->append(nullptr);
    EXPECT_EQ(set->count(), 12);
    EXPECT_EQ(set->capacity(), 20);  // grew ten at a time
    EXPECT_EQ(liveProperties, 12);

    const Density density(1, 2, 0);
    EXPECT_FALSE(set->setAt(13, &density));  // past the count
    EXPECT_FALSE(set->setAt(20, &density));  // past the capacity
    EXPECT_TRUE(set->setAt(12, &density));   // at the count: appended
    EXPECT_TRUE(set->setAt(0, &density));    // replaces, deleting the old one
    EXPECT_EQ(set->count(), 13);
    EXPECT_EQ(liveProperties, 14);  // 13 held and the local density

    EXPECT_EQ(set->findByType(FormatCodecPropertyInterface::kDensity), set->at(0));
    EXPECT_EQ(set->findByType(FormatCodecPropertyInterface::kPrivate), set->at(1));
    EXPECT_EQ(set->findByType(FormatCodecPropertyInterface::kCorrelation), nullptr);
    EXPECT_EQ(set->findByName(AsciiStringBuffer("Int")), set->at(1));

    int walked = 0;
    for (set->start(); !set->isDone(); set->next())
    {
        ASSERT_NE(set->current(), nullptr);
        ++walked;
    }
    EXPECT_EQ(walked, 13);
    EXPECT_EQ(set->next(), 13);  // stays at the end
    set->release();

    const FormatCodecPropertySetIterator copy(*set);
    set.reset();
    EXPECT_EQ(liveProperties, 14);
    ASSERT_EQ(copy.count(), 13);
    EXPECT_EQ(static_cast<const IntProperty*>(copy.at(5))->value(), 5);
}

TEST_F(PropertyModel, SetValuedPropertiesCloneTheirElements)
{
    Choices choices;
    EXPECT_EQ(choices.valueType(), FormatCodecPropertyInterface::kExclusiveSet);
    EXPECT_FALSE(choices.select(0));
    for (int level : {0, 1, 3, 6, 9})
    {
        const IntProperty element("Level", 0, 0, 9, level);
        choices.append(&element);
    }
    EXPECT_EQ(choices.count(), 5);
    EXPECT_EQ(choices.element(5), nullptr);
    EXPECT_TRUE(choices.select(3));
    EXPECT_FALSE(choices.select(5));
    EXPECT_FALSE(choices.select(-1));
    EXPECT_EQ(choices.selectedIndex(), 3);
    EXPECT_EQ(choices.secondIndex(), 0);

    std::unique_ptr<FormatCodecPropertyInterface> clone(choices.clone());
    auto* copy = static_cast<Choices*>(clone.get());
    EXPECT_EQ(copy->selectedIndex(), 3);
    ASSERT_EQ(copy->count(), 5);
    EXPECT_NE(copy->element(4), choices.element(4));
    EXPECT_EQ(static_cast<IntProperty*>(copy->element(4))->value(), 9);
}
