#pragma once
// Reference counting and interface queries, the least of the component
// model the add-in relies on, plus an owning smart pointer.
#include "platform/com/Guid.h"
#include "platform/com/Result.h"

#include <atomic>
#include <cstdint>
#include <utility>

namespace platform
{

class Unknown
{
public:
    virtual std::uint32_t addRef() = 0;
    virtual std::uint32_t release() = 0;
    // On success *object holds a new reference; on failure it is null.
    virtual HRESULT queryInterface(const Guid& iid, void** object) = 0;

protected:
    virtual ~Unknown() = default;
};

// Identifier of Unknown itself: every object answers it.
extern const Guid IID_IUnknown;

// Objects that live while references exist; creation counts as a module
// lock so that a module knows whether it can be unloaded.
class RefCounted : public Unknown
{
public:
    RefCounted();
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    std::uint32_t addRef() override;
    std::uint32_t release() override;
    // Answers IID_IUnknown; subclasses add their own identifiers.
    HRESULT queryInterface(const Guid& iid, void** object) override;

    // Number of RefCounted objects alive in the process.
    static long liveObjects();

protected:
    ~RefCounted() override;

private:
    std::atomic<std::uint32_t> references_{1};
};

// Holds one reference; adopting takes over a reference the caller already
// owns (as a creation or query hands out), copying adds one.
template <class T> class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    static ComPtr adopt(T* raw)
    {
        ComPtr p;
        p.raw_ = raw;
        return p;
    }
    static ComPtr share(T* raw)
    {
        if (raw)
            raw->addRef();
        return adopt(raw);
    }
    ComPtr(const ComPtr& other) : raw_(other.raw_)
    {
        if (raw_)
            raw_->addRef();
    }
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset()
    {
        if (T* old = std::exchange(raw_, nullptr))
            old->release();
    }
    T* get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    T* detach() { return std::exchange(raw_, nullptr); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.raw_ == b.raw_; }

private:
    T* raw_ = nullptr;
};

} // namespace platform
