#include "dwf/package/writer/extensions/6.01/PackageVersionExtension.h"

#include "dwfcore/Exception.h"
#include "dwfcore/zip/PackageFileDescriptor.h"

#include <memory>

namespace DWFToolkit
{

DWFPackageVersionTypeInfoExtension::DWFPackageVersionTypeInfoExtension(
    const DWFCore::DWFString& documentType)
    : _documentType(documentType)
{
}

void DWFPackageVersionTypeInfoExtension::prewriteManifest(DWFPackageWriter&,
                                                          DWFPackageFileDescriptor& descriptor,
                                                          DWFXMLSerializer&,
                                                          const DWFCore::DWFString& password)
{
    if (_documentType.chars() == 0)
    {
        DWFCORE_THROW(DWFInvalidTypeException, u"A document type must be specified",
                      "DWFToolkit::DWFPackageVersionTypeInfoExtension::prewriteManifest");
    }
    DWFCore::DWFString name(_documentType);
    name.append(u".TYPEINFO");
    std::unique_ptr<DWFCore::DWFZippingOutputStream> entry(descriptor.zip(name, password));
    entry->close();
}

} // namespace DWFToolkit
