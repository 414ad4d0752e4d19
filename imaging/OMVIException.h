#pragma once
// The exception family of the imaging library. Failures are thrown as
// pointers to objects made with `new`; the catcher catches the base pointer,
// reads `getMessage` and `code`, and deletes the object (adopting it into an
// OwnedException is the simple way to do that).
#include "imaging/StringBuffer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Omvi
{

class OMVIException
{
public:
    // The code of an exception that carries none.
    static constexpr std::int32_t kNoCode = -1;

    OMVIException();
    explicit OMVIException(const StringBuffer& message);
    virtual ~OMVIException();

    virtual const StringBuffer& getMessage() const;
    // Every subclass carries a code; the base answers kNoCode, so a catcher
    // that holds only the base pointer can read it without knowing the class.
    virtual std::int32_t code() const;

private:
    StringBuffer message_;
};

using OwnedException = std::unique_ptr<OMVIException>;

// The shared shape of the subclasses: a message and a signed 32-bit code.
class CodedOMVIException : public OMVIException
{
public:
    CodedOMVIException(const StringBuffer& message, std::int32_t code);
    CodedOMVIException(const char* message, std::int32_t code);

    std::int32_t code() const override;

private:
    std::int32_t code_;
};

// Filters: 0 "Init has not been called", 1 "No valid inputs",
// 2 a construction argument the filter cannot work with (the message names
// the filter's class: a clear pixel of the wrong kind, an unknown kernel),
// 3 "Too many connected inputs", 4 "Init has already been called",
// 5 "Invalid image size" (negative, or rows too long to hold),
// 6 "Row buffer too small" (a caller's buffer shorter than a row),
// 7 "Unsupported conversion" (a conversion filter asked for a pair of colour
// spaces it does not convert between).
class ImageFilterException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
    enum : std::int32_t
    {
        kInitNotCalled = 0,
        kNoValidInputs = 1,
        kInvalidArgument = 2,
        kTooManyInputs = 3,
        kAlreadyInitialised = 4,
        kInvalidSize = 5,
        kRowBufferTooSmall = 6,
        kUnsupportedConversion = 7
    };
};

class ImageConstructionException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
};

class ImageException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
};

class ImageContextException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
};

class FileDescriptorException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
};

class OMVISettingsException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
};

// The library's own resources: memory it could not get, a missing page volume.
class SystemException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
    enum : std::int32_t { kOutOfMemory = 1, kInvalidPageVolume = 2 };
};

// File transfers. The paging file reports a short read as kEndOfFile, a full
// disk as kDiskFull and any other failure as kOtherFailure.
class FileIOException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
    enum : std::int32_t { kEndOfFile = 2, kDiskFull = 3, kOtherFailure = 4 };
};

class RgbPaletteModelException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
};

// The temporary paging file. Creation failures: 0 path not found, 1 access
// denied or in use, 2 write-protected medium, 3 anything else; a page request
// outside a live reservation is kInvalidRequest.
class TemporaryFilePagingSystemException : public CodedOMVIException
{
public:
    TemporaryFilePagingSystemException(const StringBuffer& message, std::int32_t code,
                                       std::int32_t detail = 0);
    TemporaryFilePagingSystemException(const char* message, std::int32_t code,
                                       std::int32_t detail = 0);
    enum : std::int32_t
    {
        kPathNotFound = 0,
        kAccessDenied = 1,
        kWriteProtected = 2,
        kCreateFailed = 3,
        kInvalidRequest = 4
    };
    // The further value given at construction (the system error number for
    // creation failures).
    std::int32_t detail() const { return detail_; }

private:
    std::int32_t detail_;
};

// The codecs' failures (codes in imaging/codecs/codec/CodecErrors.h). A
// damaged file's may also carry the decoder's own words on what it found
// wrong ("Premature end of JPEG file", "IEND: CRC error"), beside the
// message the code goes with.
class FormatCodecException : public CodedOMVIException
{
public:
    using CodedOMVIException::CodedOMVIException;
    FormatCodecException(const char* message, std::int32_t code, std::string reason);

    // Empty when the decoder said nothing more than the message.
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

} // namespace Omvi
