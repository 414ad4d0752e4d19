#pragma once
// The add-in's event object for one open host document: it advises the
// document's event interface of its type (part, assembly or drawing) and
// answers every event by doing nothing. The add-in object keeps one per
// document in its map; the back-pointer to the add-in is not a reference,
// so the two never keep each other alive.
#include "host/Document.h"
#include "platform/com/Result.h"
#include "platform/com/Unknown.h"

#include <array>
#include <cstdint>

class CDWFPublisherImp;

class CSwDocument : public platform::RefCounted, public host::DocumentEvents
{
public:
    // Cookie of a sink that is not advised.
    static constexpr std::uint32_t kNotAdvised = 0xfefefefe;

    // A new object with one reference.
    static CSwDocument* Create();

    platform::HRESULT queryInterface(const platform::Guid& iid, void** object) override;

    // Keeps the add-in (not counted), the document and its type.
    void Init(CDWFPublisherImp* addin, host::Document* document);
    // The add-in is going away: no more back-pointer.
    void ForgetAddin() { addin_ = nullptr; }
    // Advises the sink of the document's type; a sink already advised stays.
    // False for a type other than 1, 2 or 3 or a refused advice.
    platform::VARIANT_BOOL AttachEventHandlers();
    // Unadvises the sink of its type and leaves the add-in's map. True.
    platform::VARIANT_BOOL DetachEventHandlers();

    // Every event of every type: nothing to do.
    std::int32_t onDocumentEvent(int eventId) override;

    host::Document* Document() const { return document_; }
    int Type() const { return type_; }
    // The cookie of the part (1), assembly (2) or drawing (3) sink.
    std::uint32_t Cookie(int type) const;

private:
    CSwDocument() = default;
    ~CSwDocument() override = default;

    CDWFPublisherImp* addin_ = nullptr;
    host::Document* document_ = nullptr;
    int type_ = 0;
    std::array<std::uint32_t, 3> cookies_{kNotAdvised, kNotAdvised, kNotAdvised};
};
