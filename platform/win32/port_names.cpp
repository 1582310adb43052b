#include "platform/win32/port_names.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win32/com_devices.h"
#include "platform/win32/last_error.h"
#include "platform/win32/serial_port.h"

namespace win32 {
namespace {

struct Family {
    const char* prefix;
    unsigned firstNumber;
    unsigned count;
};

constexpr Family Families[] = {{"ttyS", 1, 16}, {"ttyUSB", 17, 32}, {"ttyACM", 49, 32}};
constexpr const char* GenericDescription = "Communications Port";
constexpr std::size_t LongestDescription = 200;

// The digits after `prefix` in `name` as a number; -1 when the name is not prefix + digits.
long NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return -1;
    if (name.size() - prefix.size() > 3) return -1;
    long value = 0;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        value = value * 10 + (name[i] - '0');
    }
    return value;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

bool IsCharDevice(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

// The first parenthesised text of a friendly name must stay the port name, so a description
// never carries parentheses of its own; control characters become blanks.
std::string CleanDescription(std::string text) {
    for (char& c : text) {
        if (c == '(') c = '[';
        if (c == ')') c = ']';
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    while (!text.empty() && text.front() == ' ')
        text.erase(text.begin());
    if (text.size() > LongestDescription) text.resize(LongestDescription);
    return text.empty() ? GenericDescription : text;
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// USB product text from the nearest USB device above the tty, else the driver's name.
std::string SysfsDescription(const std::string& ttyDir) {
    std::string device = RealPath(ttyDir + "/device");
    for (int up = 0; up < 4 && device.size() > 1; ++up) {
        std::string product = FirstLine(device + "/product");
        if (!product.empty()) return CleanDescription(product);
        device.erase(device.rfind('/'));
    }
    std::string driver = RealPath(ttyDir + "/device/driver");
    if (!driver.empty()) return CleanDescription(driver.substr(driver.rfind('/') + 1));
    return GenericDescription;
}

const Family* FamilyOf(unsigned number) {
    for (const Family& family : Families)
        if (number >= family.firstNumber && number < family.firstNumber + family.count) return &family;
    return nullptr;
}

// A ttyS node exists for every possible UART; only a real one has a type other than 0.
bool UartAnswers(const std::string& ttyDir) {
    std::string type = FirstLine(ttyDir + "/type");
    return !type.empty() && std::strtol(type.c_str(), nullptr, 10) != 0;
}

std::string PortMapFolder() {
    const char* folder = std::getenv("SONDRIX_PORTS");
    return folder ? folder : "";
}

} // namespace

bool ParseComDeviceName(const char16_t* name, unsigned* number) {
    if (!name) return false;
    static const char16_t Prefix[] = u"\\\\.\\";
    std::u16string text(name);
    if (text.compare(0, 4, Prefix) != 0 || text.size() < 8 || text.size() > 9) return false;
    std::string letters;
    for (std::size_t i = 4; i < 7; ++i)
        letters += static_cast<char>(text[i] | 0x20);
    if (letters != "com" || text[7] == u'0') return false;
    unsigned value = 0;
    for (std::size_t i = 7; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
        value = value * 10 + (text[i] - u'0');
    }
    *number = value;
    return value >= 1 && value <= LastComNumber;
}

std::string TtyPortPath(unsigned number, const std::string& sysClassTty, const std::string& devRoot) {
    const Family* family = FamilyOf(number);
    if (!family) return "";
    std::string name = family->prefix + std::to_string(number - family->firstNumber);
    if (std::string(family->prefix) == "ttyS" && !UartAnswers(sysClassTty + "/" + name)) return "";
    return devRoot + "/" + name;
}

std::vector<ComPortDevice> ListTtyPorts(const std::string& sysClassTty, const std::string& devRoot) {
    std::vector<ComPortDevice> ports;
    for (const std::string& name : FolderEntries(sysClassTty)) {
        for (const Family& family : Families) {
            long index = NumberAfter(name, family.prefix);
            if (index < 0 || index >= static_cast<long>(family.count)) continue;
            unsigned number = family.firstNumber + static_cast<unsigned>(index);
            std::string path = TtyPortPath(number, sysClassTty, devRoot);
            if (path.empty() || !IsCharDevice(path)) continue;
            ports.push_back({number, path, SysfsDescription(sysClassTty + "/" + name)});
        }
    }
    std::sort(ports.begin(), ports.end(), [](auto& a, auto& b) { return a.number < b.number; });
    return ports;
}

std::vector<ComPortDevice> ListMappedPorts(const std::string& folder) {
    std::vector<ComPortDevice> ports;
    if (folder.empty()) return ports;
    for (const std::string& name : FolderEntries(folder)) {
        long number = NumberAfter(name, "COM");
        if (number < 1 || number > static_cast<long>(LastComNumber) || name[3] == '0') continue;
        std::string path = folder + "/" + name;
        if (!IsCharDevice(path)) continue; // a link whose device has gone is no port
        std::string description = FirstLine(path + ".description");
        if (description.empty()) {
            std::string target = RealPath(path);
            std::string ttyDir = "/sys/class/tty/" + target.substr(target.rfind('/') + 1);
            description = ::access(ttyDir.c_str(), F_OK) == 0 ? SysfsDescription(ttyDir) : GenericDescription;
        }
        ports.push_back({static_cast<unsigned>(number), path, CleanDescription(description)});
    }
    std::sort(ports.begin(), ports.end(), [](auto& a, auto& b) { return a.number < b.number; });
    return ports;
}

DeviceRoots& RealDeviceRoots() {
    static DeviceRoots roots;
    return roots;
}

std::string ResolveComPort(unsigned number) {
    std::string folder = PortMapFolder();
    if (!folder.empty()) {
        std::string entry = folder + "/COM" + std::to_string(number);
        struct stat info {};
        if (::lstat(entry.c_str(), &info) == 0) return entry;
    }
    const DeviceRoots& roots = RealDeviceRoots();
    return TtyPortPath(number, roots.sysClassTty, roots.dev);
}

std::vector<ComPortDevice> ListComPorts() {
    // In-process devices, then the port map, then real devices: the first to claim a number keeps it.
    std::vector<ComPortDevice> ports;
    std::set<unsigned> taken;
    auto take = [&](std::vector<ComPortDevice> found) {
        for (auto& port : found)
            if (taken.insert(port.number).second) ports.push_back(std::move(port));
    };
    std::vector<ComPortDevice> registered = RegisteredComPorts();
    for (auto& port : registered)
        port.description = CleanDescription(port.description);
    take(std::move(registered));
    take(ListMappedPorts(PortMapFolder()));
    const DeviceRoots& roots = RealDeviceRoots();
    take(ListTtyPorts(roots.sysClassTty, roots.dev));
    std::stable_sort(ports.begin(), ports.end(), [](auto& a, auto& b) { return a.number < b.number; });
    return ports;
}

HANDLE OpenComDevice(unsigned number) {
    if (std::optional<HANDLE> registered = OpenRegisteredComDevice(number)) return *registered;
    std::string path = ResolveComPort(number);
    if (path.empty()) {
        FailWith(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = OpenSerialDevice(path);
    return handle ? handle : INVALID_HANDLE_VALUE;
}

} // namespace win32
