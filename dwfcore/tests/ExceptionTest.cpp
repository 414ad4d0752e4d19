#include "dwfcore/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace DWFCore;

namespace
{

std::u16string text(const char16_t* value)
{
    return value == nullptr ? u"" : value;
}

TEST(DWFException, MessageIsCutTo511CharactersAndTerminated)
{
    std::u16string longMessage(600, u'x');
    longMessage[510] = u'y';
    DWFIOException error(longMessage.c_str(), "DWFCore::Test::run", u"file.cpp", 7);
    EXPECT_EQ(text(error.message()).size(), 511u);
    EXPECT_EQ(error.message()[510], u'y');
    EXPECT_EQ(error.message()[511], 0);

    DWFIOException exact(std::u16string(511, u'z').c_str(), "f", u"f", 1);
    EXPECT_EQ(text(exact.message()), std::u16string(511, u'z'));
}

TEST(DWFException, NullMessageIsEmpty)
{
    DWFMemoryException error(nullptr, "f", u"f", 1);
    ASSERT_NE(error.message(), nullptr);
    EXPECT_EQ(text(error.message()), u"");
}

TEST(DWFException, CopyOwnsItsMessageAndSharesStaticTexts)
{
    std::u16string message = u"Bad zip file";
    DWFInvalidTypeException original(message.c_str(), "DWFCore::DWFZip::open", u"zip.cpp", 42);
    message[0] = u'X'; // the exception copied the text when it was built
    DWFInvalidTypeException copy(original);
    EXPECT_EQ(text(copy.message()), u"Bad zip file");
    EXPECT_NE(copy.message(), original.message());
    EXPECT_EQ(copy.function(), original.function());
    EXPECT_EQ(copy.file(), original.file());
    EXPECT_EQ(copy.line(), 42u);
}

TEST(DWFException, EachClassNamesItself)
{
    struct Case
    {
        std::function<void()> raise;
        const char16_t* name;
    };
    const std::vector<Case> cases = {
        {[] { throw DWFMemoryException(u"m", "f", u"f", 1); }, u"DWFMemoryException"},
        {[] { throw DWFIOException(u"m", "f", u"f", 1); }, u"DWFIOException"},
        {[] { throw DWFStringException(u"m", "f", u"f", 1); }, u"DWFStringException"},
        {[] { throw DWFOverflowException(u"m", "f", u"f", 1); }, u"DWFOverflowException"},
        {[] { throw DWFUnexpectedException(u"m", "f", u"f", 1); }, u"DWFUnexpectedException"},
        {[] { throw DWFInvalidArgumentException(u"m", "f", u"f", 1); },
         u"DWFInvalidArgumentException"},
        {[] { throw DWFNotImplementedException(u"m", "f", u"f", 1); },
         u"DWFNotImplementedException"},
        {[] { throw DWFIllegalStateException(u"m", "f", u"f", 1); }, u"DWFIllegalStateException"},
        {[] { throw DWFDoesNotExistException(u"m", "f", u"f", 1); }, u"DWFDoesNotExistException"},
        {[] { throw DWFNullPointerException(u"m", "f", u"f", 1); }, u"DWFNullPointerException"},
        {[] { throw DWFTypeMismatchException(u"m", "f", u"f", 1); }, u"DWFTypeMismatchException"},
        {[] { throw DWFInvalidTypeException(u"m", "f", u"f", 1); }, u"DWFInvalidTypeException"},
    };
    for (const Case& c : cases)
    {
        try
        {
            c.raise();
            ADD_FAILURE() << "nothing thrown";
        }
        catch (const DWFException& error)
        {
            EXPECT_EQ(text(error.type()), text(c.name));
        }
    }
}

TEST(DWFException, ThrowMacroRecordsWhereItWasThrown)
{
    const std::uint32_t expectedLine = __LINE__ + 3;
    try
    {
        DWFCORE_THROW(DWFOverflowException, u"Buffer too small", "DWFCore::Test::throwing");
    }
    catch (const DWFOverflowException& error)
    {
        EXPECT_EQ(text(error.message()), u"Buffer too small");
        EXPECT_STREQ(error.function(), "DWFCore::Test::throwing");
        EXPECT_NE(text(error.file()).find(u"ExceptionTest.cpp"), std::u16string::npos);
        EXPECT_EQ(error.line(), expectedLine);
        return;
    }
    FAIL() << "nothing thrown";
}

} // namespace
