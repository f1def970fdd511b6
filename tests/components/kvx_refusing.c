/* Components that write through HKEY_CLASSES_ROOT, as most controls do, and
   play a machine that refuses a limited user: Wine lets every process write
   the machine's classes, so the component looks where its write landed.
   Landed in HKLM\Software\Classes, it removes it there and fails with an
   access error; landed in HKCU\Software\Classes (the caller mapped the
   classes root to the user's), it succeeds. Unregistration first probes where
   a write through HKEY_CLASSES_ROOT lands and fails the same way when that is
   the machine's.
   Built four ways:
     (default)        kvx_refusing: a class key; E_ACCESSDENIED
     KVX_TYPELIB      kvx_refusing_tlb: a type library made at run time and
                      registered with RegisterTypeLib; TYPE_E_REGISTRYACCESS
     KVX_SLOW         kvx_refusing_slow: the class key, and on its first
                      registration for the user since it was loaded it waits
                      12 s before it writes ThreadingModel (again checking
                      where it landed). That call leaves
                      kvx_refusing_slow.started and kvx_refusing_slow.finished
                      beside it.
     KVX_MACHINE      kvx_machine: the class key wherever it lands; refuses
                      nothing. */
#include <ole2.h>

#include "component.h"

#if defined(KVX_TYPELIB)
#define KVX_GUID "{13786B84-E85A-4DB4-BCB5-8F8BB8C704E3}"
static const GUID kvx_library = {0x13786B84, 0xE85A, 0x4DB4, {0xBC, 0xB5, 0x8F, 0x8B, 0xB8, 0xC7, 0x04, 0xE3}};
#define KVX_REFUSAL TYPE_E_REGISTRYACCESS
#define KVX_KEY "TypeLib\\" KVX_GUID
#else
#if defined(KVX_SLOW)
#define KVX_GUID "{121C74E8-DC00-4851-B9FB-08D80E3789D2}"
#elif defined(KVX_MACHINE)
#define KVX_GUID "{841FBACB-8B80-45A5-B213-23AC58E0846E}"
#else
#define KVX_GUID "{C891DCC3-27B2-4FB2-B673-2F8A45E0ED9A}"
#endif
#define KVX_REFUSAL E_ACCESSDENIED
#define KVX_KEY "CLSID\\" KVX_GUID
#endif

#define KVX_PROBE "Kalvex.RefusingProbe"

#if defined(KVX_MACHINE)
#define KVX_REFUSES FALSE
#else
#define KVX_REFUSES TRUE
#endif

#ifdef _WIN64
#define KVX_SYSKIND SYS_WIN64
#else
#define KVX_SYSKIND SYS_WIN32
#endif

/* Whether HKLM\Software\Classes\<key> is there: the machine's own classes,
   seen with the same view of the registry as HKEY_CLASSES_ROOT. */
static BOOL kvx_on_machine(const char* key) {
    char path[300];
    HKEY found;
    lstrcatA(lstrcpyA(path, "Software\\Classes\\"), key);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &found) != ERROR_SUCCESS) return FALSE;
    RegCloseKey(found);
    return TRUE;
}

static void kvx_remove_from_machine(const char* key) {
    char path[300];
    lstrcatA(lstrcpyA(path, "Software\\Classes\\"), key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, path);
}

/* Whether a key created through HKEY_CLASSES_ROOT lands in the machine's classes. */
static BOOL kvx_writes_reach_machine(void) {
    HKEY probe;
    BOOL machine;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, KVX_PROBE, 0, NULL, 0, KEY_WRITE, NULL, &probe, NULL) != ERROR_SUCCESS)
        return TRUE;
    RegCloseKey(probe);
    machine = kvx_on_machine(KVX_PROBE);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, KVX_PROBE);
    return machine;
}

#if defined(KVX_TYPELIB)

static void kvx_library_path(wchar_t* path) {
    GetModuleFileNameW((HMODULE)&__ImageBase, path, MAX_PATH);
    lstrcpyW(wcsrchr(path, L'.'), L".tlb");
}

/* Writes an empty type library beside the component and registers it. */
static HRESULT kvx_register(void) {
    wchar_t path[MAX_PATH + 8];
    ICreateTypeLib2* maker = NULL;
    ITypeLib* library = NULL;
    HRESULT hr;
    kvx_library_path(path);
    hr = CreateTypeLib2(KVX_SYSKIND, path, &maker);
    if (FAILED(hr)) return hr;
    hr = maker->lpVtbl->SetGuid(maker, &kvx_library);
    if (SUCCEEDED(hr)) hr = maker->lpVtbl->SetVersion(maker, 1, 0);
    if (SUCCEEDED(hr)) hr = maker->lpVtbl->SetName(maker, L"KvxRefusingLib");
    if (SUCCEEDED(hr)) hr = maker->lpVtbl->SaveAllChanges(maker);
    maker->lpVtbl->Release(maker);
    if (SUCCEEDED(hr)) hr = LoadTypeLibEx(path, REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    hr = RegisterTypeLib(library, path, NULL);
    library->lpVtbl->Release(library);
    if (SUCCEEDED(hr) && kvx_on_machine(KVX_KEY)) {
        UnRegisterTypeLib(&kvx_library, 1, 0, LOCALE_NEUTRAL, KVX_SYSKIND);
        kvx_remove_from_machine(KVX_KEY);
        return KVX_REFUSAL;
    }
    return hr;
}

static HRESULT kvx_unregister(void) {
    HKEY found;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, KVX_KEY, 0, KEY_READ, &found) != ERROR_SUCCESS) return S_OK;
    RegCloseKey(found);
    return UnRegisterTypeLib(&kvx_library, 1, 0, LOCALE_NEUTRAL, KVX_SYSKIND);
}

#else

#define KVX_SERVER KVX_KEY "\\InprocServer32"

static HRESULT kvx_set(const char* name, const char* value) {
    return HRESULT_FROM_WIN32(
        RegSetKeyValueA(HKEY_CLASSES_ROOT, KVX_SERVER, name, REG_SZ, value, (DWORD)lstrlenA(value) + 1));
}

/* Fails with the refusal when the class key landed in the machine's classes, and takes it away there. */
static HRESULT kvx_refuse_machine(void) {
    if (!KVX_REFUSES || !kvx_on_machine(KVX_KEY)) return S_OK;
    kvx_remove_from_machine(KVX_KEY);
    return KVX_REFUSAL;
}

static HRESULT kvx_register(void) {
    char path[MAX_PATH];
    HRESULT hr;
    GetModuleFileNameA((HMODULE)&__ImageBase, path, MAX_PATH);
    hr = kvx_set(NULL, path);
    if (SUCCEEDED(hr)) hr = kvx_refuse_machine();
#if defined(KVX_SLOW)
    {
        static LONG kvx_for_user;
        if (SUCCEEDED(hr) && InterlockedIncrement(&kvx_for_user) == 1) {
            kvx_write_marker("kvx_refusing_slow.started");
            Sleep(12000);
            hr = kvx_set("ThreadingModel", "Apartment");
            if (SUCCEEDED(hr)) hr = kvx_refuse_machine();
            kvx_write_marker("kvx_refusing_slow.finished");
            return hr;
        }
    }
#endif
    if (SUCCEEDED(hr)) hr = kvx_set("ThreadingModel", "Apartment");
    return hr;
}

static HRESULT kvx_unregister(void) {
    const LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, KVX_KEY);
    return status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

#endif

HRESULT STDAPICALLTYPE DllRegisterServer(void) { return kvx_register(); }

HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    if (KVX_REFUSES && kvx_writes_reach_machine()) return KVX_REFUSAL;
    return kvx_unregister();
}
