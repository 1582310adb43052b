#pragma once
// The device set calls for the Ports class: the present COM ports with their friendly names,
// "<description> (COMn)", in the order of their numbers.

#include "platform/win32/types.h"

using HDEVINFO = void*;
using HWND = void*;

constexpr DWORD DIGCF_DEFAULT = 0x1;
constexpr DWORD DIGCF_PRESENT = 0x2;
constexpr DWORD DIGCF_ALLCLASSES = 0x4;
constexpr DWORD DIGCF_PROFILE = 0x8;
constexpr DWORD DIGCF_DEVICEINTERFACE = 0x10;

constexpr DWORD SPDRP_DEVICEDESC = 0x0;
constexpr DWORD SPDRP_FRIENDLYNAME = 0xC;

constexpr DWORD REG_SZ = 1;

constexpr DWORD ERROR_INVALID_DATA = 13;
constexpr DWORD ERROR_INVALID_USER_BUFFER = 1784;

// {4d36e978-e325-11ce-bfc1-08002be10318}
constexpr GUID GUID_DEVCLASS_PORTS = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// Reserved is pointer-sized on Windows; here it is a DWORD so that the record keeps its 32-bit size
// of 28 bytes, which callers put in cbSize.
struct SP_DEVINFO_DATA {
    DWORD cbSize;
    GUID ClassGuid;
    DWORD DevInst;
    DWORD Reserved;
};
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "SP_DEVINFO_DATA keeps its 32-bit size");

// A snapshot of the ports present now. Only a class GUID with DIGCF_PRESENT is supported; another
// class gives an empty set. INVALID_HANDLE_VALUE on failure.
HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, LPCWSTR enumerator, HWND parent, DWORD flags);
BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* device);
// SPDRP_FRIENDLYNAME and SPDRP_DEVICEDESC, as REG_SZ UTF-16 text with its terminator.
BOOL SetupDiGetDeviceRegistryPropertyW(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD property, LPDWORD type,
                                       BYTE* buffer, DWORD size, LPDWORD required);
BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);
