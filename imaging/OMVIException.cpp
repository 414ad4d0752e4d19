#include "imaging/OMVIException.h"

#include <utility>

namespace Omvi
{

OMVIException::OMVIException() = default;

OMVIException::OMVIException(const StringBuffer& message)
{
    message_ = message;
}

OMVIException::~OMVIException() = default;

const StringBuffer& OMVIException::getMessage() const
{
    return message_;
}

std::int32_t OMVIException::code() const
{
    return kNoCode;
}

CodedOMVIException::CodedOMVIException(const StringBuffer& message, std::int32_t code)
    : OMVIException(message), code_(code)
{
}

CodedOMVIException::CodedOMVIException(const char* message, std::int32_t code)
    : OMVIException(AsciiStringBuffer(message)), code_(code)
{
}

std::int32_t CodedOMVIException::code() const
{
    return code_;
}

TemporaryFilePagingSystemException::TemporaryFilePagingSystemException(const StringBuffer& message,
                                                                       std::int32_t code,
                                                                       std::int32_t detail)
    : CodedOMVIException(message, code), detail_(detail)
{
}

TemporaryFilePagingSystemException::TemporaryFilePagingSystemException(const char* message,
                                                                       std::int32_t code,
                                                                       std::int32_t detail)
    : CodedOMVIException(message, code), detail_(detail)
{
}

FormatCodecException::FormatCodecException(const char* message, std::int32_t code, std::string reason)
    : CodedOMVIException(message, code), reason_(std::move(reason))
{
}

} // namespace Omvi
