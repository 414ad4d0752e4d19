#pragma once
// What the twelve codecs answer alike: the version record, the interface
// version, the texts by id, file creation tests, the shared probe checks
// and the open-for-read sequence that attaches the side-car correlations.
// A codec describes itself once (FormatCodecDescription) and supplies its
// probe and its reader and writer factories.
#include "imaging/codecs/ImageFormatCodec.h"
#include "imaging/codecs/UnsupportedVariantInterface.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Omvi
{

class CorrelationPropertySetIterator;

// How a codec tests whether a new file could be created.
enum class FileCreationTest
{
    kExclusiveOpen,        // create exclusively, close, remove
    kCreateDeleteOnClose,  // create exclusively and let it go again
    kNever                 // the codec cannot write files
};

// Where a codec's credit text comes from.
enum class CreditSource
{
    kString,  // a codec text
    kEmpty,   // an empty text (one NUL byte, encoding 0)
    kCodec    // the codec answers it itself
};

struct FormatCodecDescription
{
    // ",3,0,<codec major>,<codec minor>,0589,<class name>,<build tag>".
    const char* versionRecord;
    std::int32_t capabilities;
    std::int32_t probeClass;
    // Extension texts by index; an index outside gives defaultExtensionId.
    std::vector<std::int32_t> extensionIds;
    std::int32_t defaultExtensionId;
    std::int32_t nameId;
    std::int32_t descriptionId;
    CreditSource credit;
    std::int32_t creditId;
    FileCreationTest creation;
    // The data organisations the codec reads and writes.
    std::vector<std::int32_t> organisations = {0};
    // The property types the codec supports whatever their name; private
    // properties (type 0) are supported by name (isPrivatePropertyName).
    std::vector<std::int32_t> propertyTypes = {};
};

class FormatCodecBase : public ImageFormatCodec, public UnsupportedVariantInterface
{
public:
    ~FormatCodecBase() override;

    int getVersion(int* major, int* minor, int* build) const override;
    void getApiVersion(int* major, int* minor) const override;
    int getCapabilities() const override;
    bool isDataOrganizationSupported(int organisation) const override;
    // The described types, and private properties the codec knows by name.
    bool isPropertySupported(int propertyType, const StringBuffer* name) const override;
    // False: what a read-only codec answers.
    bool canEncode(const DataModel* model, int width, int height) const override;
    bool canCreateFile(const FileSpecifier& file) const override;
    int getProbeClass() const override;
    int constantQuery6() const override;
    int constantQuery7() const override;
    int getExtensionCount() const override;
    bool getExtension(int index, StringBuffer& out) const override;
    bool getName(StringBuffer& out) const override;
    bool getDescription(StringBuffer& out) const override;
    bool getCreditText(StringBuffer& out) const override;
    // Files of kind 0 with a path of at least 2 bytes go to probePath;
    // anything else is kNotThisFormat. The option is not used by the probes.
    int probe(const FileSpecifier& file, const CorrelationOptionInterface* option) const override;
    // Attaches the side-car correlations found for the file and hands them
    // to the codec's reader; null when the codec cannot read the file or
    // memory runs out.
    ReadImageFileInterface* openForRead(const FileSpecifier& file,
                                        const CorrelationOptionInterface* option) const override;
    ReadImageFileInterface* openForRead(const FileSpecifier& file) const override;
    ReadImageFileInterface* openForRead(const ReadImageFileInterface& reader) const override;
    WriteImageFileInterface* createWriter() const override;
    // Files the probe would open go to describeVariant; anything else (and
    // memory running out) gives an empty text.
    std::string unsupportedVariant(const FileSpecifier& file) const override;

    const FormatCodecDescription& description() const { return description_; }

protected:
    explicit FormatCodecBase(FormatCodecDescription description);

    // Whether `name` names one of the codec's private properties (none
    // unless the codec says so).
    virtual bool isPrivatePropertyName(const StringBuffer& name) const;
    // The header probe on the file's native path (ProbeResult).
    virtual int probePath(const std::string& nativePath) const = 0;
    // The kind of file at `nativePath` when probePath answers
    // kUnsupportedVariant for it (UnsupportedVariantInterface); empty
    // otherwise, and for codecs that name no kinds (the default).
    virtual std::string describeVariant(const std::string& nativePath) const;
    // The codec's reader on `file`, owning `correlations` (which may be
    // null). Null until the codec's reader exists.
    virtual ReadImageFileInterface* newReader(const FileSpecifier& file,
                                              std::unique_ptr<CorrelationPropertySetIterator> correlations) const;
    // The codec's writer; null for read-only codecs and until the codec's
    // writer exists.
    virtual WriteImageFileInterface* newWriter() const;

private:
    FormatCodecDescription description_;
};

} // namespace Omvi
