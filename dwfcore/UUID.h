#ifndef DWFCORE_UUID_H
#define DWFCORE_UUID_H

#include "dwfcore/Memory.h"
#include "dwfcore/String.h"
#include "dwfcore/SystemUUID.h"

#include <cstdint>
#include <memory>

namespace DWFCore
{

class DWFUUIDImpl;

//
// Produces identifiers as text: hyphenated upper-case hexadecimal, or
// "squashed" into 22 characters of Base64 with the alphabet ending "+_".
// The first identifier comes from the system; the following ones count up
// from it. Without a system source a portable generator takes over for good.
//
class DWFUUID : public DWFCoreMemory
{
public:
    DWFUUID() noexcept;
    DWFUUID(const DWFUUID& other);
    DWFUUID& operator=(const DWFUUID& other);
    ~DWFUUID();

    // The current identifier (the text stays valid until the next call).
    const DWFString& uuid(bool squash);
    // Advances to the next identifier and returns it.
    const DWFString& next(bool squash);

private:
    template <class Operation> const DWFString& call(Operation operation, const char* function);

    std::unique_ptr<DWFUUIDImpl> _impl;
};

class DWFUUIDImpl : public DWFCoreMemory
{
public:
    virtual ~DWFUUIDImpl() = default;
    // A new implementation in the same state; the caller owns it.
    virtual DWFUUIDImpl* clone() const = 0;
    virtual const DWFString& uuid(bool squash) = 0;
    virtual const DWFString& next(bool squash) = 0;
};

//
// Backed by the system UUID source. Throws DWFNotImplementedException when
// the source reports that it has no identity to offer.
//
class DWFUUIDImpl_System : public DWFUUIDImpl
{
public:
    DWFUUIDImpl_System() = default;
    // A clone starts afresh from the system rather than continuing the count.
    DWFUUIDImpl* clone() const override;
    const DWFString& uuid(bool squash) override;
    const DWFString& next(bool squash) override;

private:
    DWFSystemUUID _uuid{};
    DWFString _text; // empty until the system has been asked
};

//
// The portable generator: a time counter and the core's random draws, in a
// layout of its own (not a standard UUID version).
//
class DWFUUIDImpl_ANSI : public DWFUUIDImpl
{
public:
    DWFUUIDImpl_ANSI();
    DWFUUIDImpl* clone() const override;
    const DWFString& uuid(bool squash) override;
    const DWFString& next(bool squash) override;

private:
    void generate();

    DWFString _text;
    std::uint8_t _bytes[16];
};

} // namespace DWFCore

#endif
