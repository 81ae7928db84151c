// Port discovery in a made-up device tree: a calculator on USB (the hp4x
// driver's ttyUSB, HP's ids in sysfs) comes first among the serial devices
// and is named.
#include "platform/port_slots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

// A tty below a USB device with these ids, as the kernel shows it: the
// class entry's "device" links to the port, under the interface, under
// the device that holds idVendor and idProduct.
void AddUsbTty(const std::string& sys, const std::string& tty, const std::string& usb,
               const std::string& vendor, const std::string& product) {
  const fs::path device = fs::path(sys) / "devices/pci0000:00/0000:00:14.0/usb1" / usb;
  WriteText(device / "idVendor", vendor + "\n");
  WriteText(device / "idProduct", product + "\n");
  const fs::path port = device / (usb + ":1.0") / tty;
  fs::create_directories(port);
  fs::create_directories(fs::path(sys) / "class/tty" / tty);
  fs::create_directory_symlink(port, fs::path(sys) / "class/tty" / tty / "device");
}

TEST(PortSlots, ACalculatorOnUsbComesFirstAndIsNamed) {
  testing::ScratchFolder folder;
  const DeviceRoots roots{folder / "dev", folder / "sys"};
  for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0"}) WriteText(roots.dev + "/" + node, "");
  AddUsbTty(roots.sysfs, "ttyUSB0", "1-1", "0403", "6001");  // a USB-serial adapter
  AddUsbTty(roots.sysfs, "ttyUSB1", "1-2", "03f0", "0121");  // a 50g
  fs::create_symlink("ttyUSB1", roots.dev + "/hp50g");

  // ttyS0 is no real UART here, so it is left out.
  EXPECT_EQ(ScanSerialDevices(roots),
            (std::vector<std::string>{roots.dev + "/ttyUSB1", roots.dev + "/ttyUSB0", roots.dev + "/ttyACM0"}));
  EXPECT_EQ(CalculatorOnDevice(roots.dev + "/hp50g", roots), "HP 49g+/50g (USB)");
  EXPECT_EQ(DeviceLabel(roots.dev + "/ttyUSB1", roots), roots.dev + "/ttyUSB1 \u2014 HP 49g+/50g (USB)");
  EXPECT_EQ(DeviceLabel(roots.dev + "/ttyUSB0", roots), roots.dev + "/ttyUSB0");
  EXPECT_EQ(DeviceLabel(roots.dev + "/ttyACM0", roots), roots.dev + "/ttyACM0");
}

}  // namespace
}  // namespace dravik
