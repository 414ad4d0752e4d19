#pragma once
// The abstract image format codec. Every raster format is one codec object;
// the session registers codecs and asks their header probes which one
// recognises a file, and the codec then makes readers and writers. The slot
// order below is the interface's contract.
//
// Codec objects are made with `new`, belong to whoever made them and must
// outlive their registration with the session. The operations never throw:
// a probe that cannot read the file answers kNotThisFormat, a factory that
// cannot allocate answers null.
#include <cstdint>

namespace Omvi
{

class CorrelationOptionInterface;
class DataModel;
class FileSpecifier;
class ReadImageFileInterface;
class StringBuffer;
class WriteImageFileInterface;

class ImageFormatCodec
{
public:
    // getCapabilities bits.
    enum Capability : int
    {
        kCanRead = 1,
        kCanWrite = 16
    };
    // Probe results, also the session's lookup results.
    enum ProbeResult : int
    {
        kRecognised = 0,
        kUnsupportedVariant = 1,  // recognised, but a variant this codec cannot read
        kNotThisFormat = 2,       // also: a specifier not of kind 0, or an unreadable file
        kTruncated = 3            // recognised, but the file is too short
    };
    // getProbeClass answers.
    enum ProbeClass : int
    {
        kStrongSignature = 0,  // probed first
        kWeakSignature = 1     // files without a reliable signature, probed last
    };
    // The interface version a codec must report to be registered.
    static constexpr int kApiMajorVersion = 3;
    static constexpr int kApiMinorVersion = 0;

    // 0
    virtual ~ImageFormatCodec() = default;
    // 1: the codec's own version from its version record; the result is the
    // build number.
    virtual int getVersion(int* major, int* minor, int* build) const = 0;
    // 2: the interface version (3, 0).
    virtual void getApiVersion(int* major, int* minor) const = 0;
    // 3: Capability bits (kCanRead, kCanRead | kCanWrite).
    virtual int getCapabilities() const = 0;
    // 4: whether a new file of that path could be created.
    virtual bool canCreateFile(const FileSpecifier& file) const = 0;
    // 5: ProbeClass.
    virtual int getProbeClass() const = 0;
    // 6 and 7: constant queries nothing in the library asks (6 answers 1 for
    // the RLC codec, 0 for the others; 7 answers 0).
    virtual int constantQuery6() const = 0;
    virtual int constantQuery7() const = 0;
    // 8: whether the codec reads or writes that data organisation (6: data
    // streams).
    virtual bool isDataOrganizationSupported(int organisation) const = 0;
    // 9: whether a property of that type is supported; for private
    // properties (type 0) `name` is the property's name.
    virtual bool isPropertySupported(int propertyType, const StringBuffer* name) const = 0;
    // 10-14: texts of the format. getExtension with an index past the count
    // gives the codec's default extension; each answers whether its text was
    // loaded.
    virtual int getExtensionCount() const = 0;
    virtual bool getExtension(int index, StringBuffer& out) const = 0;
    virtual bool getName(StringBuffer& out) const = 0;
    virtual bool getDescription(StringBuffer& out) const = 0;
    virtual bool getCreditText(StringBuffer& out) const = 0;
    // 15: the header probe (ProbeResult); `option` is the session's
    // correlation option (may be null). Only files of kind 0 are opened.
    virtual int probe(const FileSpecifier& file, const CorrelationOptionInterface* option) const = 0;
    // 16: whether a writer of this codec accepts an image of that model and
    // size.
    virtual bool canEncode(const DataModel* model, int width, int height) const = 0;
    // 17: a new reader (owned by the caller) with the correlations found for
    // the file; `option` may be null.
    virtual ReadImageFileInterface* openForRead(const FileSpecifier& file,
                                                const CorrelationOptionInterface* option) const = 0;
    // 18: the same without options.
    virtual ReadImageFileInterface* openForRead(const FileSpecifier& file) const = 0;
    // 19: a new writer (owned by the caller), or null for a read-only codec.
    virtual WriteImageFileInterface* createWriter() const = 0;
    // 20: a second, independent reader on the file of `reader`.
    virtual ReadImageFileInterface* openForRead(const ReadImageFileInterface& reader) const = 0;
};

} // namespace Omvi
