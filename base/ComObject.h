// The IUnknown of our own COM objects (not of the wrapper, whose table has
// the bar's fixed layout): a counted base that deletes the object at its
// last Release, and a table search for QueryInterface.
//
//   class CThing final : public mx::com_object<IEnumFORMATETC> {
//       HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
//           return mx::query_interface(riid, out, {{IID_IEnumFORMATETC, this}});
//       }
//   };
//
// IUnknown is always answered, by the first row's interface.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <atomic>
#include <cstring>
#include <initializer_list>

namespace mx {

// One interface an object answers: its id and the object seen as it.
struct interface_row {
    REFIID iid;
    IUnknown* object;
};

// Compared as bytes: an id a caller passes may sit at any address (Wine's
// proxies and stubs hand over ids from inside their format strings), and a
// GUID reference at an odd address must not be read as an aligned one.
inline bool same_iid(REFIID a, REFIID b) { return std::memcmp(&a, &b, sizeof(IID)) == 0; }

inline HRESULT query_interface(REFIID riid, void** out, std::initializer_list<interface_row> rows) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const interface_row& row : rows) {
        if (same_iid(riid, row.iid) || (same_iid(riid, IID_IUnknown) && &row == rows.begin())) {
            row.object->AddRef();
            *out = row.object;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

// Implements AddRef and Release for the interfaces it derives from; the
// count may be taken and given back on any thread. An object starts with
// one reference, its maker's.
template <typename... Interfaces>
class com_object : public Interfaces... {
public:
    com_object() = default;
    com_object(const com_object&) = delete;
    com_object& operator=(const com_object&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG refs = --m_refs;
        if (refs == 0) delete this;
        return refs;
    }

protected:
    // Only the last Release destroys the object.
    virtual ~com_object() = default;

private:
    std::atomic<ULONG> m_refs{1};
};

}  // namespace mx
