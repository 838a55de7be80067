#include "clipdata/CSharedNames.h"

#include <mutex>
#include <string>
#include <unordered_set>

namespace {

std::mutex g_guard;

// Never destroyed: items that outlive everything else still point into it.
std::unordered_set<std::wstring>& Names() {
    static auto* names = new std::unordered_set<std::wstring>();
    return *names;
}

}  // namespace

const WCHAR* CSharedNames::Get(const WCHAR* name) {
    std::lock_guard<std::mutex> hold(g_guard);
    return Names().insert(name ? name : L"").first->c_str();
}
