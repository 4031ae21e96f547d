#include "link/UsbDevices.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace kv {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxInfoLength = 255;
const char* const kFtdiVendor = "0403";
// The serial port drivers of the bridge chips (ch341's port driver is called ch341-uart).
const std::set<std::string> kBridgeDrivers = {"ftdi_sio", "ch341", "ch341-uart", "cp210x",
                                              "pl2303"};

std::string FirstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    if (line.size() > kMaxInfoLength)
        line.resize(kMaxInfoLength);
    return line;
}

// The tty names behind the kernel's two views of USB serial converters.
std::set<std::string> ConverterTtyNames(const TDeviceRoots& roots)
{
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator(fs::path(roots.sysfs) / "bus/usb-serial/devices", error))
        names.insert(entry.path().filename().string());
    for (const auto& entry : fs::directory_iterator(fs::path(roots.dev) / "serial/by-id", error)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(entry.path(), linkError);
        if (!linkError)
            names.insert(target.filename().string());
    }
    return names;
}

// Serial number, description and vendor of the USB device that owns the tty.
ConverterInfo DescribeTty(const std::string& name, const TDeviceRoots& roots)
{
    ConverterInfo info;
    info.path = (fs::path(roots.dev) / name).string();
    std::error_code error;
    fs::path dir = fs::canonical(fs::path(roots.sysfs) / "class/tty" / name / "device", error);
    std::error_code driverError;
    info.driver = fs::read_symlink(dir / "driver", driverError).filename().string();
    const fs::path top = fs::path(roots.sysfs);
    while (!error && !dir.empty() && dir != top && dir != dir.root_path()) {
        if (fs::exists(dir / "idVendor")) {
            info.vendorId = FirstLine(dir / "idVendor");
            info.serialNumber = FirstLine(dir / "serial");
            info.description = FirstLine(dir / "product");
            break;
        }
        dir = dir.parent_path();
    }
    return info;
}

// ttyUSB2 before ttyUSB10.
bool NaturalLess(const std::string& a, const std::string& b)
{
    const auto digitsFrom = [](const std::string& s) {
        size_t i = s.size();
        while (i > 0 && s[i - 1] >= '0' && s[i - 1] <= '9')
            --i;
        return i;
    };
    const size_t da = digitsFrom(a);
    const size_t db = digitsFrom(b);
    const std::string prefixA = a.substr(0, da);
    const std::string prefixB = b.substr(0, db);
    if (prefixA != prefixB)
        return prefixA < prefixB;
    if (a.size() - da != b.size() - db)
        return a.size() - da < b.size() - db;
    return a < b;
}

}  // namespace

std::vector<ConverterInfo> EnumerateConverters(int maxConverters, const TDeviceRoots& roots)
{
    std::vector<ConverterInfo> found;
    for (const std::string& name : ConverterTtyNames(roots)) {
        ConverterInfo info = DescribeTty(name, roots);
        if (kBridgeDrivers.contains(info.driver))
            found.push_back(std::move(info));
    }
    std::sort(found.begin(), found.end(), [](const ConverterInfo& a, const ConverterInfo& b) {
        const bool ftdiA = a.vendorId == kFtdiVendor;
        const bool ftdiB = b.vendorId == kFtdiVendor;
        if (ftdiA != ftdiB)
            return ftdiA;
        return NaturalLess(a.path, b.path);
    });
    if (found.size() > static_cast<size_t>(std::max(maxConverters, 0)))
        found.resize(static_cast<size_t>(std::max(maxConverters, 0)));
    return found;
}

std::vector<ConverterInfo> ListedConverters(const std::vector<std::string>& paths,
                                            int maxConverters)
{
    std::vector<ConverterInfo> listed;
    for (const std::string& path : paths) {
        if (listed.size() >= static_cast<size_t>(std::max(maxConverters, 0)))
            break;
        listed.push_back({path, "", path, "", ""});
    }
    return listed;
}

}  // namespace kv
