#pragma once
// A codec of the tests' own: it answers what it is told and counts what it
// is asked. The probe's answer may depend on the file's path.
#include "imaging/FileSpecifier.h"
#include "imaging/StringBuffer.h"
#include "imaging/codecs/FormatCodecApiVersionInterface.h"
#include "imaging/codecs/ImageFormatCodec.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace OmviTest
{

class StubCodec : public Omvi::ImageFormatCodec
{
public:
    StubCodec(std::string codecName, int probeClass, int probeAnswer = kNotThisFormat)
        : name(std::move(codecName)), defaultAnswer(probeAnswer), probeClass_(probeClass)
    {
    }

    int getVersion(int* major, int* minor, int* build) const override
    {
        *major = 1;
        *minor = 0;
        *build = 589;
        return 589;
    }
    void getApiVersion(int* major, int* minor) const override
    {
        *major = apiMajor;
        *minor = 0;
    }
    int getCapabilities() const override { return kCanRead; }
    bool canCreateFile(const Omvi::FileSpecifier&) const override { return false; }
    int getProbeClass() const override { return probeClass_; }
    int constantQuery6() const override { return 0; }
    int constantQuery7() const override { return 0; }
    bool isDataOrganizationSupported(int) const override { return false; }
    bool isPropertySupported(int, const Omvi::StringBuffer*) const override { return false; }
    int getExtensionCount() const override { return 0; }
    bool getExtension(int, Omvi::StringBuffer& out) const override { return text(out); }
    bool getName(Omvi::StringBuffer& out) const override { return text(out); }
    bool getDescription(Omvi::StringBuffer& out) const override { return text(out); }
    bool getCreditText(Omvi::StringBuffer& out) const override { return text(out); }
    int probe(const Omvi::FileSpecifier& file, const Omvi::CorrelationOptionInterface* option) const override
    {
        probes.push_back(file.nativePath());
        lastOption = option;
        const auto answer = answers.find(file.nativePath());
        return answer != answers.end() ? answer->second : defaultAnswer;
    }
    bool canEncode(const Omvi::DataModel*, int, int) const override { return false; }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::FileSpecifier&,
                                              const Omvi::CorrelationOptionInterface*) const override
    {
        return nullptr;
    }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::FileSpecifier&) const override { return nullptr; }
    Omvi::WriteImageFileInterface* createWriter() const override { return nullptr; }
    Omvi::ReadImageFileInterface* openForRead(const Omvi::ReadImageFileInterface&) const override
    {
        return nullptr;
    }

    std::string name;
    int apiMajor = kApiMajorVersion;
    int defaultAnswer;
    // Answers by path, in place of the default.
    std::map<std::string, int> answers;
    mutable std::vector<std::string> probes;
    mutable const Omvi::CorrelationOptionInterface* lastOption = nullptr;

private:
    bool text(Omvi::StringBuffer& out) const
    {
        out = Omvi::AsciiStringBuffer(name);
        return true;
    }
    int probeClass_;
};

class StubVersion : public Omvi::FormatCodecApiVersionInterface
{
public:
    explicit StubVersion(int major) : major_(major) {}
    int majorVersion() const override { return major_; }
    int minorVersion() const override { return 0; }

private:
    int major_;
};

} // namespace OmviTest
