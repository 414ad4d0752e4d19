#include "addin/SwDocument.h"

#include "addin/DWFPublisherImp.h"
#include "addin/ErrorReport.h"
#include "addin/Identifiers.h"

CSwDocument* CSwDocument::Create()
{
    return new CSwDocument();
}

platform::HRESULT CSwDocument::queryInterface(const platform::Guid& iid, void** object)
{
    if (object && iid == ids::IID_ISwDocument)
    {
        addRef();
        *object = this;
        return platform::S_OK;
    }
    return RefCounted::queryInterface(iid, object);
}

void CSwDocument::Init(CDWFPublisherImp* addin, host::Document* document)
{
    addin_ = addin;
    document_ = document;
    type_ = document ? document->type() : 0;
}

std::uint32_t CSwDocument::Cookie(int type) const
{
    if (type < 1 || type > 3)
        return kNotAdvised;
    return cookies_[static_cast<std::size_t>(type - 1)];
}

platform::VARIANT_BOOL CSwDocument::AttachEventHandlers()
{
    if (!document_ || type_ < 1 || type_ > 3)
        return platform::VARIANT_FALSE;
    std::uint32_t& cookie = cookies_[static_cast<std::size_t>(type_ - 1)];
    if (cookie != kNotAdvised)
        return platform::VARIANT_TRUE;
    const std::uint32_t advised = document_->adviseDocumentEvents(type_, this);
    if (advised == 0)
        return platform::VARIANT_FALSE;
    cookie = advised;
    return platform::VARIANT_TRUE;
}

platform::VARIANT_BOOL CSwDocument::DetachEventHandlers()
{
    // Leaving the map may drop the last reference to this object.
    const auto keepAlive = platform::ComPtr<CSwDocument>::share(this);
    if (type_ >= 1 && type_ <= 3)
    {
        std::uint32_t& cookie = cookies_[static_cast<std::size_t>(type_ - 1)];
        if (cookie != kNotAdvised)
        {
            const std::uint32_t advised = cookie;
            cookie = kNotAdvised;
            try
            {
                document_->unadviseDocumentEvents(advised);
            }
            catch (...)
            {
                // The sink is gone from our side whatever the host says.
                ReportPublishError("CSwDocument::DetachEventHandlers");
            }
        }
    }
    if (addin_)
        addin_->RemoveDocument(document_);
    return platform::VARIANT_TRUE;
}

std::int32_t CSwDocument::onDocumentEvent(int)
{
    return platform::S_OK;
}
