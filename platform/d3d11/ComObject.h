#pragma once
// The one reference-counted base of every COM-style object the program makes: device objects,
// DXGI objects, effects and blobs. Each one adds to the one count of live objects, which tests and
// the programs check is zero once everything has been released.
#include <atomic>
#include <cstdint>

#include "platform/d3d11/ComBase.h"

// Objects derived from ComObject alive in this process.
long ComLiveObjectCount();

namespace com_detail {
extern std::atomic<long> liveObjects;
std::uint64_t NextObjectId();
}  // namespace com_detail

// Implements IUnknown for one interface (and its bases). A derived class answers further interface
// identifiers through Cast; IID_IUnknown is answered here.
template <typename Interface>
class ComObject : public Interface {
public:
    ComObject() { ++com_detail::liveObjects; }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        const ULONG left = --refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT QueryInterface(REFIID riid, void** out) override
    {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        IUnknown* found = riid == IID_IUnknown ? static_cast<IUnknown*>(this) : Cast(riid);
        if (found == nullptr) {
            return E_NOINTERFACE;
        }
        found->AddRef();
        *out = found;
        return S_OK;
    }

    // Unique for the life of the process: unlike an address or a GL name, never reused, so it can
    // tell "the same object as last time" apart from "a new object in the old one's place".
    std::uint64_t Id() const { return id; }

protected:
    ~ComObject() override { --com_detail::liveObjects; }
    virtual IUnknown* Cast(REFIID) { return nullptr; }

private:
    std::atomic<ULONG> refs{1};
    std::uint64_t id = com_detail::NextObjectId();
};
