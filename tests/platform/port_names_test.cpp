#include "platform/win32/port_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// A made-up /sys/class/tty and /dev: device nodes are links to /dev/null, a real char device.
struct FakeTree {
    fs::path root;
    FakeTree() {
        char pattern[] = "/tmp/port_names_test_XXXXXX";
        root = ::mkdtemp(pattern);
        fs::create_directories(root / "sys" / "devices");
        fs::create_directories(root / "class");
        fs::create_directories(root / "dev");
    }
    ~FakeTree() { fs::remove_all(root); }
    std::string Class() const { return (root / "class").string(); }
    std::string Dev() const { return (root / "dev").string(); }

    // A tty whose device folder sits `depth` levels below a USB device with the given product.
    void AddTty(const std::string& name, const std::string& product, const std::string& driver = "",
                const std::string& type = "") {
        fs::path usb = root / "sys" / "devices" / ("usb-" + name);
        fs::path device = usb / "1-1:1.0" / name;
        fs::create_directories(device);
        if (!product.empty()) std::ofstream(usb / "product") << product << "\n";
        if (!driver.empty()) {
            fs::create_directories(root / "sys" / "drivers" / driver);
            fs::create_directory_symlink(root / "sys" / "drivers" / driver, device / "driver");
        }
        fs::create_directories(root / "class" / name);
        fs::create_directory_symlink(device, root / "class" / name / "device");
        if (!type.empty()) std::ofstream(root / "class" / name / "type") << type << "\n";
        fs::create_symlink("/dev/null", root / "dev" / name);
    }
};

TEST(PortNames, ParsesOnlyTheDeviceFormOfComNames) {
    struct Row {
        const char16_t* name;
        bool ok;
        unsigned number;
    };
    const Row rows[] = {
        {u"\\\\.\\COM1", true, 1},    {u"\\\\.\\com17", true, 17}, {u"\\\\.\\CoM99", true, 99},
        {u"\\\\.\\COM100", false, 0}, {u"\\\\.\\COM0", false, 0},  {u"\\\\.\\COM07", false, 0},
        {u"COM3", false, 0},          {u"\\\\.\\COM", false, 0},   {u"\\\\.\\COM3x", false, 0},
        {u"\\\\.\\LPT1", false, 0},   {u"/dev/ttyS0", false, 0}};
    for (const Row& row : rows) {
        unsigned number = 0;
        EXPECT_EQ(win32::ParseComDeviceName(row.name, &number), row.ok);
        if (row.ok) {
            EXPECT_EQ(number, row.number);
        }
    }
    EXPECT_FALSE(win32::ParseComDeviceName(nullptr, nullptr));
}

TEST(PortNames, FixedRuleGivesEachFamilyItsRange) {
    FakeTree tree;
    tree.AddTty("ttyS0", "", "serial8250", "4");
    tree.AddTty("ttyS1", "", "serial8250", "0");  // phantom UART
    tree.AddTty("ttyS16", "", "serial8250", "4"); // beyond the family's range
    tree.AddTty("ttyUSB0", "CP2102 USB to UART Bridge Controller", "cp210x");
    tree.AddTty("ttyUSB3", "", "ftdi_sio");
    tree.AddTty("ttyACM1", "Board (rev 2)", "cdc_acm");
    tree.AddTty("tty5", "", "");

    auto ports = win32::ListTtyPorts(tree.Class(), tree.Dev());
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].number, 1u);
    EXPECT_EQ(ports[0].description, "serial8250");
    EXPECT_EQ(ports[1].number, 17u);
    EXPECT_EQ(ports[1].description, "CP2102 USB to UART Bridge Controller");
    EXPECT_EQ(ports[1].path, tree.Dev() + "/ttyUSB0");
    EXPECT_EQ(ports[2].number, 20u);
    EXPECT_EQ(ports[2].description, "ftdi_sio");
    EXPECT_EQ(ports[3].number, 50u);
    EXPECT_EQ(ports[3].description, "Board [rev 2]"); // parentheses would hide the port name

    EXPECT_EQ(win32::TtyPortPath(1, tree.Class(), tree.Dev()), tree.Dev() + "/ttyS0");
    EXPECT_EQ(win32::TtyPortPath(2, tree.Class(), tree.Dev()), "");
    EXPECT_EQ(win32::TtyPortPath(48, tree.Class(), tree.Dev()), tree.Dev() + "/ttyUSB31");
    EXPECT_EQ(win32::TtyPortPath(80, tree.Class(), tree.Dev()), tree.Dev() + "/ttyACM31");
    EXPECT_EQ(win32::TtyPortPath(81, tree.Class(), tree.Dev()), "");
}

TEST(PortNames, PortMapListsLiveLinksWithTheirDescriptions) {
    FakeTree tree;
    fs::path map = tree.root / "map";
    fs::create_directories(map);
    fs::create_symlink("/dev/null", map / "COM7");
    std::ofstream(map / "COM7.description") << "Sensor (emulated)\n";
    fs::create_symlink("/dev/zero", map / "COM12");
    fs::create_symlink(tree.root / "gone", map / "COM3"); // unplugged: the node has vanished
    fs::create_symlink("/dev/null", map / "COM100");
    fs::create_symlink("/dev/null", map / "COM05");
    std::ofstream(map / "COM9") << "not a device\n";

    auto ports = win32::ListMappedPorts(map.string());
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].number, 7u);
    EXPECT_EQ(ports[0].description, "Sensor [emulated]");
    EXPECT_EQ(ports[1].number, 12u);
    EXPECT_EQ(ports[1].description, "Communications Port");
    EXPECT_TRUE(win32::ListMappedPorts("").empty());
    EXPECT_TRUE(win32::ListMappedPorts((tree.root / "nowhere").string()).empty());
}

} // namespace
