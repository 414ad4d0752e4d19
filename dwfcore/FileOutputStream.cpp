#include "dwfcore/FileOutputStream.h"

#include "dwfcore/Exception.h"

namespace DWFCore
{

DWFFileOutputStream::~DWFFileOutputStream()
{
    if (_own)
    {
        delete _descriptor;
    }
}

void DWFFileOutputStream::attach(DWFFileDescriptor* descriptor, bool own)
{
    if (descriptor == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No file provided",
                      "DWFCore::DWFFileOutputStream::attach");
    }
    if (_own && _descriptor != descriptor)
    {
        delete _descriptor;
    }
    _descriptor = descriptor;
    _own = own;
}

void DWFFileOutputStream::flush()
{
    if (_descriptor == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No file currently attached",
                      "DWFCore::DWFFileOutputStream::flush");
    }
    _descriptor->flush();
}

size_t DWFFileOutputStream::write(const void* buffer, size_t bytes)
{
    if (_descriptor == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"No file currently attached",
                      "DWFCore::DWFFileOutputStream::write");
    }
    return _descriptor->write(buffer, bytes);
}

} // namespace DWFCore
