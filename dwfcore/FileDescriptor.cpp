#include "dwfcore/FileDescriptor.h"

#include "dwfcore/Exception.h"

namespace DWFCore
{

size_t DWFFileDescriptor::read(void*, size_t)
{
    DWFCORE_THROW(DWFNotImplementedException, u"Read operation not implemented for this descriptor",
                  "DWFCore::DWFFileDescriptor::read");
}

long DWFFileDescriptor::seek(int, long)
{
    DWFCORE_THROW(DWFNotImplementedException, u"Seek operation not implemented for this descriptor",
                  "DWFCore::DWFFileDescriptor::seek");
}

size_t DWFFileDescriptor::write(const void*, size_t)
{
    DWFCORE_THROW(DWFNotImplementedException,
                  u"Write operation not implemented for this descriptor",
                  "DWFCore::DWFFileDescriptor::write");
}

void DWFFileDescriptor::flush()
{
    DWFCORE_THROW(DWFNotImplementedException,
                  u"Flush operation not implemented for this descriptor",
                  "DWFCore::DWFFileDescriptor::flush");
}

} // namespace DWFCore
