// ComRef: holds one reference on a COM-style object (anything with AddRef and Release) and
// gives it back when it lets go, so copies, moves and early returns need no Release by hand.
#pragma once

#include <cstddef>
#include <utility>

namespace vlm_engine {

template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(std::nullptr_t) {}
    // Takes over a reference the caller already holds, such as the one a Create call hands out.
    static ComRef Adopt(T* object) {
        ComRef ref;
        ref.m_pObject = object;
        return ref;
    }
    // Takes a reference of its own.
    static ComRef Share(T* object) {
        if (object) object->AddRef();
        return Adopt(object);
    }

    ComRef(const ComRef& other) : m_pObject(other.m_pObject) {
        if (m_pObject) m_pObject->AddRef();
    }
    ComRef(ComRef&& other) noexcept : m_pObject(std::exchange(other.m_pObject, nullptr)) {}
    // By value: the copy is made (and its reference taken) before the old object is released,
    // so assigning a ComRef to itself or to another holder of the same object is harmless.
    ComRef& operator=(ComRef other) noexcept {
        std::swap(m_pObject, other.m_pObject);
        return *this;
    }
    ~ComRef() { Reset(); }

    T* Get() const { return m_pObject; }
    T* operator->() const { return m_pObject; }
    explicit operator bool() const { return m_pObject != nullptr; }

    void Reset() {
        if (T* object = std::exchange(m_pObject, nullptr)) object->Release();
    }
    // Hands the reference to the caller without releasing it.
    T* Detach() { return std::exchange(m_pObject, nullptr); }
    // The slot for a Create call's out-parameter; whatever was held is released first.
    T** Receive() {
        Reset();
        return &m_pObject;
    }

private:
    T* m_pObject = nullptr;
};

// For raw pointer fields that own a reference, where a class's layout keeps them raw: points
// `field` at `source` with a reference of its own and releases what it held before. Safe when
// both already name the same object.
template <class T>
void ShareRef(T*& field, T* source) {
    if (source) source->AddRef();
    if (T* old = std::exchange(field, source)) old->Release();
}

// Releases what a raw owning field holds and clears it; `adopted` (a reference the caller
// hands over, or null) takes its place.
template <class T>
void ReplaceRef(T*& field, T* adopted = nullptr) {
    if (T* old = std::exchange(field, adopted)) old->Release();
}

}  // namespace vlm_engine
