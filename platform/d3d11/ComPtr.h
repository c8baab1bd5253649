#pragma once
// The one smart pointer for COM-style objects: holds one reference and releases it when it goes.
//
//   ComPtr<ID3D11Buffer> buffer;
//   device->CreateBuffer(&desc, &data, buffer.Put());   // takes the reference the call hands out
//   context->IASetVertexBuffers(0, 1, buffer.GetAddressOf(), &stride, &offset);
//
// Copying adds a reference; constructing from a raw pointer adds one too (the caller keeps its own),
// while Adopt takes over a reference the caller owns.
#include <cstddef>
#include <utility>

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}            // NOLINT: implicit, as for a raw pointer
    ComPtr(T* object) : pointer(object)  // NOLINT: implicit, as for a raw pointer
    {
        if (pointer != nullptr) {
            pointer->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer) {}
    ComPtr(ComPtr&& other) noexcept : pointer(std::exchange(other.pointer, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(pointer, other.pointer);
        return *this;
    }
    ~ComPtr() { Reset(); }

    static ComPtr Adopt(T* object)
    {
        ComPtr adopted;
        adopted.pointer = object;
        return adopted;
    }

    T* Get() const { return pointer; }
    T* operator->() const { return pointer; }
    T& operator*() const { return *pointer; }
    explicit operator bool() const { return pointer != nullptr; }

    // For the out-parameter of a creating call: releases what is held and hands over the slot.
    T** Put()
    {
        Reset();
        return &pointer;
    }
    // For calls that take an array of one.
    T* const* GetAddressOf() const { return &pointer; }

    void Reset()
    {
        if (T* old = std::exchange(pointer, nullptr)) {
            old->Release();
        }
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(pointer, nullptr); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.pointer == b.pointer; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.pointer == nullptr; }

private:
    T* pointer = nullptr;
};
