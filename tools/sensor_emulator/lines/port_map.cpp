#include "tools/sensor_emulator/lines/port_map.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace sensor_emulator {
namespace {

std::string Entry(const std::string& folder, unsigned number) {
    return folder + "/COM" + std::to_string(number);
}

} // namespace

PortMap::PortMap() {
    char pattern[] = "/tmp/sondrix_ports_XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    folder = pattern;
    if (const char* old = std::getenv("SONDRIX_PORTS")) previous = old;
    ::setenv("SONDRIX_PORTS", folder.c_str(), 1);
}

PortMap::~PortMap() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (previous)
        ::setenv("SONDRIX_PORTS", previous->c_str(), 1);
    else
        ::unsetenv("SONDRIX_PORTS");
}

void PortMap::Map(unsigned number, const std::string& devicePath, const std::string& description) {
    Unmap(number);
    std::filesystem::create_symlink(devicePath, Entry(folder, number));
    if (!description.empty()) std::ofstream(Entry(folder, number) + ".description") << description << "\n";
}

void PortMap::Unmap(unsigned number) {
    std::error_code ignored;
    std::filesystem::remove(Entry(folder, number), ignored);
    std::filesystem::remove(Entry(folder, number) + ".description", ignored);
}

unsigned PortMap::FreeNumber() const {
    unsigned number = 1;
    while (std::filesystem::is_symlink(Entry(folder, number)))
        ++number;
    return number;
}

} // namespace sensor_emulator
