// One owner type per kind of Win32 handle, each with the "empty" value its API uses.
// Windows-only: include it from .cpp files of units that talk to the system.
#pragma once

#include <windows.h>

#include <utility>

// Traits: Type, Empty() and Close(h) for one kind of handle.
template <typename Traits>
class TUniqueHandle {
public:
    using T = typename Traits::Type;
    TUniqueHandle() = default;
    explicit TUniqueHandle(T H) : FHandle(H) {}
    ~TUniqueHandle() { Reset(); }
    TUniqueHandle(TUniqueHandle&& O) noexcept : FHandle(O.Release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& O) noexcept
    {
        if (this != &O) Reset(O.Release());
        return *this;
    }
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;

    T Get() const { return FHandle; }
    bool Valid() const { return FHandle != Traits::Empty(); }
    explicit operator bool() const { return Valid(); }
    T Release()
    {
        T H = FHandle;
        FHandle = Traits::Empty();
        return H;
    }
    void Reset(T H = Traits::Empty())
    {
        if (FHandle != Traits::Empty()) Traits::Close(FHandle);
        FHandle = H;
    }

private:
    T FHandle = Traits::Empty();
};

#define DECLARE_HANDLE_TRAITS(Name, HType, EmptyValue, CloseCall)       \
    struct Name {                                                       \
        using Type = HType;                                             \
        static Type Empty() { return EmptyValue; }                      \
        static void Close(Type H) { CloseCall(H); }                     \
    }

DECLARE_HANDLE_TRAITS(TFileTraits, HANDLE, INVALID_HANDLE_VALUE, CloseHandle);
DECLARE_HANDLE_TRAITS(TFindTraits, HANDLE, INVALID_HANDLE_VALUE, FindClose);
DECLARE_HANDLE_TRAITS(TKernelTraits, HANDLE, nullptr, CloseHandle);
DECLARE_HANDLE_TRAITS(TViewTraits, const void*, nullptr, UnmapViewOfFile);
DECLARE_HANDLE_TRAITS(TModuleTraits, HMODULE, nullptr, FreeLibrary);
DECLARE_HANDLE_TRAITS(TKeyTraits, HKEY, nullptr, RegCloseKey);
DECLARE_HANDLE_TRAITS(TGdiTraits, HGDIOBJ, nullptr, DeleteObject);
DECLARE_HANDLE_TRAITS(TWindowTraits, HWND, nullptr, DestroyWindow);

// Files and find handles use INVALID_HANDLE_VALUE; mappings, processes, threads and events use NULL.
using TFileHandle = TUniqueHandle<TFileTraits>;
using TFindHandle = TUniqueHandle<TFindTraits>;
using TKernelHandle = TUniqueHandle<TKernelTraits>;
using TMappedView = TUniqueHandle<TViewTraits>;
using TModuleHandle = TUniqueHandle<TModuleTraits>;
using TRegKey = TUniqueHandle<TKeyTraits>;
using TGdiObject = TUniqueHandle<TGdiTraits>;
using TWindowHandle = TUniqueHandle<TWindowTraits>;
