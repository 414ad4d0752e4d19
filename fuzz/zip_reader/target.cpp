// Opens arbitrary bytes as a ZIP archive (and as a package, with the header
// in front), walks the directory and inflates every entry with a password.

#include "dwfcore/BufferInputStream.h"
#include "dwfcore/Exception.h"
#include "dwfcore/zip/Reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace
{

void readAll(const uint8_t* data, size_t size)
{
    DWFCore::DWFBufferInputStream stream(data, size);
    DWFCore::zipio::ZipReader* reader = nullptr;
    try
    {
        reader = DWFCore::zipio::unzOpenStream(&stream);
    }
    catch (const DWFCore::DWFException&)
    {
        return;
    }
    if (reader == nullptr)
    {
        return;
    }
    DWFCore::zipio::ZipEntryInfo info;
    char name[256];
    char comment[64];
    unsigned char extra[64];
    for (int status = DWFCore::zipio::unzFirstEntry(reader); status == 0;
         status = DWFCore::zipio::unzNextEntry(reader))
    {
        DWFCore::zipio::unzGetEntryInfo(reader, &info, name, sizeof name, extra, sizeof extra,
                                        comment, sizeof comment);
        if (DWFCore::zipio::unzOpenEntry(reader, DWFCore::DWFString(u"pw")) != 0)
        {
            continue;
        }
        unsigned char out[4096];
        // Bounded: at most 1 MiB per entry, whatever the record claims.
        for (int i = 0; i < 256; ++i)
        {
            if (DWFCore::zipio::unzReadEntry(reader, out, sizeof out) <= 0)
            {
                break;
            }
        }
        DWFCore::zipio::unzCloseEntry(reader);
    }
    for (const auto& record : DWFCore::zipio::unzIndex(reader))
    {
        std::vector<unsigned char> content;
        DWFCore::zipio::unzExtractEntry(reader, DWFCore::DWFString(record.name.c_str()),
                                        DWFCore::DWFString(), content, 1 << 16);
    }
    DWFCore::zipio::unzClose(reader);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    readAll(data, size);
    return 0;
}
