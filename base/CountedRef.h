// Holds one counted reference to an object with AddRef/Release (a history
// item, a COM object of ours). Copies add a reference; the holder gives its
// reference back when it goes.
#pragma once
#include <cstddef>
#include <utility>

namespace mx {

template <typename T>
class counted_ref {
public:
    counted_ref() noexcept = default;
    counted_ref(std::nullptr_t) noexcept {}
    // Adds a reference of its own.
    explicit counted_ref(T* object) noexcept : m_object(object) {
        if (m_object) m_object->AddRef();
    }
    // Takes over a reference the caller owns.
    static counted_ref adopt(T* object) noexcept {
        counted_ref ref;
        ref.m_object = object;
        return ref;
    }
    counted_ref(const counted_ref& other) noexcept : counted_ref(other.m_object) {}
    counted_ref(counted_ref&& other) noexcept : m_object(other.detach()) {}
    counted_ref& operator=(counted_ref other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~counted_ref() { reset(); }

    T* get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    T& operator*() const noexcept { return *m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    friend bool operator==(const counted_ref& ref, std::nullptr_t) noexcept { return !ref; }
    friend bool operator==(std::nullptr_t, const counted_ref& ref) noexcept { return !ref; }
    friend bool operator!=(const counted_ref& ref, std::nullptr_t) noexcept { return !!ref; }
    friend bool operator!=(std::nullptr_t, const counted_ref& ref) noexcept { return !!ref; }

    // Hands the reference to the caller, who releases it.
    T* detach() noexcept {
        T* object = m_object;
        m_object = nullptr;
        return object;
    }
    void reset() noexcept {
        if (T* object = detach()) object->Release();
    }

private:
    T* m_object = nullptr;
};

}  // namespace mx
