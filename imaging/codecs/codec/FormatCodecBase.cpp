#include "imaging/codecs/codec/FormatCodecBase.h"

#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/session/OMVISession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace Omvi
{
namespace
{

// Creates the file exclusively (refusing one that exists) and removes it.
bool createAndRemove(const FileSpecifier& file)
{
    const auto path = CodecFile::nativePath(file);
    if (!path)
        return false;
    const int descriptor = ::open(path->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    ::close(descriptor);
    ::unlink(path->c_str());
    return true;
}

} // namespace

FormatCodecBase::FormatCodecBase(FormatCodecDescription description) : description_(std::move(description)) {}

FormatCodecBase::~FormatCodecBase() = default;

int FormatCodecBase::getVersion(int* major, int* minor, int* build) const
{
    // The record's fields after its leading comma: interface major and
    // minor, codec major and minor, build.
    const int codecMajor = versionField(description_.versionRecord, 2);
    const int codecMinor = versionField(description_.versionRecord, 3);
    const int buildNumber = versionField(description_.versionRecord, 4);
    if (major)
        *major = codecMajor;
    if (minor)
        *minor = codecMinor;
    if (build)
        *build = buildNumber;
    return buildNumber;
}

void FormatCodecBase::getApiVersion(int* major, int* minor) const
{
    if (major)
        *major = std::atoi(kCodecApiMajorText);
    if (minor)
        *minor = std::atoi(kCodecApiMinorText);
}

int FormatCodecBase::getCapabilities() const
{
    return description_.capabilities;
}

bool FormatCodecBase::canCreateFile(const FileSpecifier& file) const
{
    switch (description_.creation)
    {
    case FileCreationTest::kExclusiveOpen:
    case FileCreationTest::kCreateDeleteOnClose:
        return createAndRemove(file);
    case FileCreationTest::kNever:
        break;
    }
    return false;
}

bool FormatCodecBase::isDataOrganizationSupported(int organisation) const
{
    const auto& listed = description_.organisations;
    return std::find(listed.begin(), listed.end(), organisation) != listed.end();
}

bool FormatCodecBase::isPropertySupported(int propertyType, const StringBuffer* name) const
{
    const auto& listed = description_.propertyTypes;
    if (std::find(listed.begin(), listed.end(), propertyType) != listed.end())
        return true;
    return propertyType == FormatCodecPropertyInterface::kPrivate && name != nullptr && isPrivatePropertyName(*name);
}

bool FormatCodecBase::isPrivatePropertyName(const StringBuffer&) const
{
    return false;
}

bool FormatCodecBase::canEncode(const DataModel*, int, int) const
{
    return false;
}

int FormatCodecBase::getProbeClass() const
{
    return description_.probeClass;
}

int FormatCodecBase::constantQuery6() const
{
    return 0;
}

int FormatCodecBase::constantQuery7() const
{
    return 0;
}

int FormatCodecBase::getExtensionCount() const
{
    return static_cast<int>(description_.extensionIds.size());
}

bool FormatCodecBase::getExtension(int index, StringBuffer& out) const
{
    const auto& ids = description_.extensionIds;
    const bool listed = index >= 0 && static_cast<std::size_t>(index) < ids.size();
    return loadCodecString(listed ? ids[static_cast<std::size_t>(index)] : description_.defaultExtensionId, out);
}

bool FormatCodecBase::getName(StringBuffer& out) const
{
    return loadCodecString(description_.nameId, out);
}

bool FormatCodecBase::getDescription(StringBuffer& out) const
{
    return loadCodecString(description_.descriptionId, out);
}

bool FormatCodecBase::getCreditText(StringBuffer& out) const
{
    if (description_.credit == CreditSource::kString)
        return loadCodecString(description_.creditId, out);
    const char nul = 0;
    out.set(1, &nul, StringBuffer::kSingleByte);
    return true;
}

int FormatCodecBase::probe(const FileSpecifier& file, const CorrelationOptionInterface*) const
{
    const auto path = CodecFile::nativePath(file);
    if (!path)
        return kNotThisFormat;
    try
    {
        return probePath(*path);
    }
    catch (const std::bad_alloc&)
    {
        return kNotThisFormat;
    }
}

std::string FormatCodecBase::unsupportedVariant(const FileSpecifier& file) const
{
    const auto path = CodecFile::nativePath(file);
    if (!path)
        return {};
    try
    {
        return describeVariant(*path);
    }
    catch (const std::bad_alloc&)
    {
        return {};
    }
}

std::string FormatCodecBase::describeVariant(const std::string&) const
{
    return {};
}

ReadImageFileInterface* FormatCodecBase::openForRead(const FileSpecifier& file,
                                                     const CorrelationOptionInterface* option) const
{
    try
    {
        auto correlations = std::make_unique<CorrelationPropertySetIterator>(
            CorrelationPropertySetIterator::kForReading, this, file, option);
        if (correlations->count() == 0)
            correlations.reset();
        return newReader(file, std::move(correlations));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    catch (OMVIException* failure)
    {
        delete failure;
        return nullptr;
    }
}

ReadImageFileInterface* FormatCodecBase::openForRead(const FileSpecifier& file) const
{
    return openForRead(file, nullptr);
}

ReadImageFileInterface* FormatCodecBase::openForRead(const ReadImageFileInterface& reader) const
{
    FileSpecifier file;
    reader.copyFileSpecifier(file);
    return openForRead(file);
}

WriteImageFileInterface* FormatCodecBase::createWriter() const
{
    try
    {
        return newWriter();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    catch (OMVIException* failure)
    {
        delete failure;
        return nullptr;
    }
}

ReadImageFileInterface* FormatCodecBase::newReader(const FileSpecifier&,
                                                   std::unique_ptr<CorrelationPropertySetIterator>) const
{
    return nullptr;
}

WriteImageFileInterface* FormatCodecBase::newWriter() const
{
    return nullptr;
}

} // namespace Omvi
