#include "platform/win32/setupapi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/last_error.h"
#include "tools/sensor_emulator/lines/emulator_line.h"

namespace {

using sensor_emulator::EmulatorLine;
using sensor_emulator::PortMap;

// Friendly names of the Ports class as the configurator reads them, keeping only those that hold
// `mark` (the machine may have real ports of its own).
std::vector<std::u16string> FriendlyNames(const std::u16string& mark) {
    std::vector<std::u16string> names;
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    EXPECT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        BYTE buffer[1000];
        DWORD type = 0;
        EXPECT_TRUE(SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, &type, buffer,
                                                      sizeof buffer, nullptr));
        EXPECT_EQ(type, REG_SZ);
        std::u16string name(reinterpret_cast<const char16_t*>(buffer));
        if (name.find(mark) != std::u16string::npos) names.push_back(name);
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    return names;
}

TEST(PortEnumeration, FollowsPortsThatComeAndGoInNumberOrder) {
    PortMap map;
    EmulatorLine sensor(map, {.comNumber = 12, .description = "Emulated sensor"});
    EmulatorLine radio(map, {.comNumber = 3, .description = "Emulated radio"});
    EXPECT_EQ(FriendlyNames(u"Emulated"),
              (std::vector<std::u16string>{u"Emulated radio (COM3)", u"Emulated sensor (COM12)"}));

    EmulatorLine spare(map, {.comNumber = 7, .description = "Emulated (spare) line"});
    radio.Unplug(); // pulled as a USB adapter is; its pty number may be another process's at once
    EXPECT_EQ(FriendlyNames(u"Emulated"),
              (std::vector<std::u16string>{u"Emulated [spare] line (COM7)", u"Emulated sensor (COM12)"}));

    map.Unmap(12);
    EXPECT_EQ(FriendlyNames(u"Emulated"), (std::vector<std::u16string>{u"Emulated [spare] line (COM7)"}));
}

TEST(PortEnumeration, PropertyBufferAndSetMisuseAreRefused) {
    PortMap map;
    EmulatorLine line(map, {.comNumber = 4, .description = "Emulated sensor"});
    HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVINFO_DATA device{};
    device.cbSize = 32;
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_USER_BUFFER);
    device.cbSize = sizeof device;
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(std::memcmp(&device.ClassGuid, &GUID_DEVCLASS_PORTS, sizeof(GUID)), 0);

    BYTE small[4];
    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr, small,
                                                   sizeof small, &required));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_GE(required, 2 * (std::u16string(u"X (COM4)").size() + 1));
    EXPECT_FALSE(
        SetupDiGetDeviceRegistryPropertyW(set, &device, 0x77, nullptr, small, sizeof small, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);

    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &device));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));

    GUID other = GUID_DEVCLASS_PORTS;
    other.Data1 ^= 1;
    HDEVINFO empty = SetupDiGetClassDevsW(&other, nullptr, nullptr, DIGCF_PRESENT);
    ASSERT_NE(empty, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(empty, 0, &device));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);
    SetupDiDestroyDeviceInfoList(empty);
    EXPECT_EQ(SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

} // namespace
