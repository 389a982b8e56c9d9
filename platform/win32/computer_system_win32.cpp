// computer_system_win32.cpp - Windows backend of the computer system's
// names: one WQL query of Windows Management Instrumentation through COM.
//
// A unit of its own, so that only the program that asks links COM.
// clang-format off
#include "platform.h"

#include <windows.h>
#include <wbemidl.h>
// clang-format on

namespace jq::platform {

namespace {

// Releases a COM interface when it goes away.
template <typename Interface>
struct Held {
    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (pointer != nullptr) pointer->Release();
    }
    Interface* pointer = nullptr;
};

// A BSTR freed when it goes away.
struct OwnedBstr {
    explicit OwnedBstr(const wchar_t* text) : value(::SysAllocString(text)) {}
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    ~OwnedBstr() { ::SysFreeString(value); }
    BSTR value;
};

// A string property of the object; empty when the call fails or the value is
// null or not a string.
PathString stringProperty(IWbemClassObject* object, const wchar_t* name) {
    VARIANT value;
    ::VariantInit(&value);
    PathString text;
    if (SUCCEEDED(object->Get(name, 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR &&
        value.bstrVal != nullptr) {
        text.assign(value.bstrVal, ::SysStringLen(value.bstrVal));
        // A text ends at its first null, as the caller's 8-bit copy would.
        text.resize(text.find(L'\0') == PathString::npos ? text.size() : text.find(L'\0'));
    }
    ::VariantClear(&value);
    return text;
}

bool queryWmi(ComputerSystemNames& names) {
    Held<IWbemLocator> locator;
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWbemLocator, reinterpret_cast<void**>(&locator.pointer))) ||
        locator.pointer == nullptr)
        return false;
    const OwnedBstr space(L"\\\\.\\root\\cimv2");
    Held<IWbemServices> services;
    if (FAILED(locator.pointer->ConnectServer(space.value, nullptr, nullptr, nullptr, 0, nullptr,
                                              nullptr, &services.pointer)) ||
        services.pointer == nullptr)
        return false;
    const OwnedBstr language(L"WQL");
    const OwnedBstr query(L"select * from Win32_ComputerSystem");
    Held<IEnumWbemClassObject> objects;
    if (services.pointer->ExecQuery(language.value, query.value, 0, nullptr, &objects.pointer) !=
            WBEM_S_NO_ERROR ||
        objects.pointer == nullptr)
        return false;
    // Only the first object counts; none at all is an answer without names.
    Held<IWbemClassObject> object;
    ULONG returned = 0;
    objects.pointer->Next(static_cast<long>(WBEM_INFINITE), 1, &object.pointer, &returned);
    if (returned == 1 && object.pointer != nullptr) {
        names.manufacturer = stringProperty(object.pointer, L"Manufacturer");
        names.model = stringProperty(object.pointer, L"Model");
    }
    return true;
}

}  // namespace

bool queryComputerSystem(ComputerSystemNames& names) {
    names = {};
    const HRESULT com = ::CoInitialize(nullptr);
    // The process's security: the defaults, impersonating the caller. What
    // either call answers does not decide anything; the query's own results
    // do.
    ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                           RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    bool answered = false;
    try {
        answered = queryWmi(names);
    } catch (...) {
        names = {};
    }
    if (!answered) names = {};
    if (SUCCEEDED(com)) ::CoUninitialize();
    return answered;
}

}  // namespace jq::platform
