#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "support/WaitFor.h"
#include "adapters/posix/PosixSerialPorts.h"
#include "support/LineErrorInjector.h"

namespace baromon::platform {
namespace {

// A pseudo-terminal whose master end the test writes, standing in for the device.
struct Pty {
  int master = -1;
  int slave = -1;
  std::string path;
  Pty() {
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) == 0) {
      path = name;
      // The test keeps no slave descriptor of its own unless it asks for one.
      ::close(slave);
      slave = -1;
    }
  }
  ~Pty() { closeMaster(); }
  void closeMaster() {
    if (master >= 0) {
      ::close(master);
      master = -1;
    }
  }
  void send(const std::string& text) const {
    ASSERT_EQ(::write(master, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
};

// The line discipline hands written bytes over asynchronously; wait (bounded) until they arrive.
std::size_t waitForBytes(SerialDevice& device, std::size_t want) {
  std::size_t have = 0;
  bool failed = false;
  fakes::waitFor(
      [&] {
        auto s = device.status();
        failed = !s;
        have = s ? s->waiting : have;
        return failed || have >= want;
      },
      std::chrono::seconds(1));
  return have;
}

TEST(PortMap, OptionThenEnvironmentThenDefault) {
  ::unsetenv("BAROMON_COM3");
  PortMap map;
  EXPECT_EQ(map.resolve("COM1"), "/dev/ttyS0");
  EXPECT_EQ(map.resolve("COM8"), "/dev/ttyS7");
  ::setenv("BAROMON_COM3", "/dev/ttyUSB0", 1);
  EXPECT_EQ(map.resolve("COM3"), "/dev/ttyUSB0");
  ASSERT_TRUE(map.parseAssignment("3=/dev/ttyACM1"));
  EXPECT_EQ(map.resolve("COM3"), "/dev/ttyACM1") << "the command line wins over the environment";
  ::setenv("BAROMON_COM3", "", 1);
  PortMap plain;
  EXPECT_EQ(plain.resolve("COM3"), "/dev/ttyS2") << "an empty variable counts as unset";
  ::unsetenv("BAROMON_COM3");
}

TEST(PortMap, RejectsWhatIsNoPortOrAssignment) {
  PortMap map;
  for (const char* bad : {"COM0", "COM9", "COM", "COM12", "com1", "LPT1", ""}) {
    EXPECT_FALSE(map.resolve(bad).has_value()) << bad;
  }
  for (const char* bad : {"9=/dev/x", "0=/dev/x", "1=", "1", "=/dev/x", "12=/dev/x", "a=/dev/x"}) {
    EXPECT_FALSE(map.parseAssignment(bad)) << bad;
  }
}

TEST(PosixSerialDevice, ConfiguresRaw4800Baud8N1WithoutFlowControl) {
  Pty pty;
  ASSERT_FALSE(pty.path.empty());
  auto device = PosixSerialDevice::open(pty.path);
  ASSERT_TRUE(device);
  ASSERT_TRUE(device->configure());
  termios tio{};
  ASSERT_EQ(::tcgetattr(device->fd(), &tio), 0);
  EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B4800));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_NE(tio.c_cflag & CLOCAL, 0u);
  EXPECT_NE(tio.c_cflag & CREAD, 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u) << "bytes arrive unchanged";
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 1);
  EXPECT_EQ(tio.c_cc[VTIME], 0);
  const int flags = ::fcntl(device->fd(), F_GETFL);
  EXPECT_EQ(flags & O_ACCMODE, O_RDONLY) << "the monitor only listens";
  EXPECT_NE(flags & O_NONBLOCK, 0);
}

TEST(PosixSerialDevice, CountsAndReadsWaitingBytesWithoutBlocking) {
  Pty pty;
  auto device = PosixSerialDevice::open(pty.path);
  ASSERT_TRUE(device && device->configure());
  auto empty = device->status();
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->waiting, 0u);
  EXPECT_FALSE(device->readByte()) << "nothing waiting: the read fails at once";
  EXPECT_FALSE(device->hungUp()) << "an empty read is no hang-up";

  pty.send(std::string("$P\r\n\0\xFF", 6));
  ASSERT_EQ(waitForBytes(*device, 6), 6u);
  std::string got;
  for (int i = 0; i < 6; ++i) {
    auto b = device->readByte();
    ASSERT_TRUE(b);
    got.push_back(static_cast<char>(*b));
  }
  EXPECT_EQ(got, std::string("$P\r\n\0\xFF", 6)) << "CR, NUL and 0xFF pass unchanged";
}

TEST(PosixSerialDevice, SecondOpenFailsUntilTheFirstCloses) {
  Pty pty;
  // Another party keeps the terminal open throughout, as the simulator does.
  const int holder = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  {
    auto first = PosixSerialDevice::open(pty.path);
    ASSERT_TRUE(first);
    EXPECT_FALSE(PosixSerialDevice::open(pty.path)) << "the device is held exclusively";
    PortMap map;
    map.set(2, pty.path);
    PosixSerialPorts mapped(map);
    EXPECT_FALSE(mapped.open("COM2")) << "a second monitor on the same port fails too";
  }
  auto again = PosixSerialDevice::open(pty.path);
  EXPECT_TRUE(again) << "closing released the device";
  ::close(holder);
}

TEST(PosixSerialDevice, AbsentDeviceFailsToOpen) {
  EXPECT_FALSE(PosixSerialDevice::open("/nonexistent/ttyS99"));
  PortMap map;
  map.set(5, "/nonexistent/ttyUSB9");
  PosixSerialPorts ports(map);
  EXPECT_FALSE(ports.open("COM5"));
  EXPECT_FALSE(ports.open("COM9"));
}

TEST(PosixSerialDevice, ClosedOtherEndIsAHangUp) {
  Pty pty;
  auto device = PosixSerialDevice::open(pty.path);
  ASSERT_TRUE(device && device->configure());
  pty.closeMaster();
  EXPECT_FALSE(device->status());
  EXPECT_TRUE(device->hungUp());
  EXPECT_FALSE(device->readByte());
}

TEST(PosixSerialDevice, InjectedLineErrorsAreReportedOnce) {
  Pty pty;
  auto opened = PosixSerialDevice::open(pty.path);
  ASSERT_TRUE(opened);
  auto device = std::make_unique<fakes::LineErrorInjector>(std::move(opened));
  LineErrors errors;
  errors.framing = true;
  device->injectLineErrors(errors);
  auto first = device->status();
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->errors.framing);
  auto second = device->status();
  ASSERT_TRUE(second);
  EXPECT_FALSE(second->errors.any()) << "the query clears the errors";
}

} // namespace
} // namespace baromon::platform
