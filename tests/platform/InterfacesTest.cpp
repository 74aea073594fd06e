// Compile-time checks: the window interfaces have no silent defaults, and the core
// takes them only as a whole set.
#include <type_traits>

#include "adapters/posix/HeadlessWindows.h"
#include "assembly/ConsoleWindowServices.h"
#include "platform/Files.h"
#include "platform/WindowServices.h"
#include "support/FakeWindows.h"

namespace {

using namespace baromon::platform;

static_assert(std::is_abstract_v<Boxes> && std::is_abstract_v<Windows> && std::is_abstract_v<Menus> &&
              std::is_abstract_v<MainLoop> && std::is_abstract_v<Programs>);

// An ownerless box is a decision of its own, not an owned box by default.
struct WithoutOwnerlessBoxes : Boxes {
  void messageBox(const std::string&, const std::string&, BoxIcon) override {}
  void beep(BeepKind) override {}
};
static_assert(std::is_abstract_v<WithoutOwnerlessBoxes>);

// A front end that leaves out one concern cannot be handed to the core.
struct WithoutPrograms : Boxes, Windows, Menus, MainLoop {};
static_assert(!std::is_constructible_v<WindowServices, WithoutPrograms&>);

// Every implementation states every function (an abstract one could not be made).
static_assert(AllWindowServices<HeadlessWindows> && !std::is_abstract_v<HeadlessWindows>);
static_assert(AllWindowServices<baromon::assembly::ConsoleWindowServices> &&
              !std::is_abstract_v<baromon::assembly::ConsoleWindowServices>);
static_assert(AllWindowServices<baromon::fakes::FakeWindows> &&
              !std::is_abstract_v<baromon::fakes::FakeWindows>);

// A file that does not say how its bytes reach the disk cannot be made.
struct WithoutSync : File {
  std::optional<std::size_t> read(void*, std::size_t) override { return 0; }
  std::optional<std::size_t> write(const void*, std::size_t) override { return 0; }
  std::optional<std::int64_t> seek(std::int64_t, SeekFrom) override { return 0; }
  std::optional<std::int64_t> size() override { return 0; }
  bool resize(std::int64_t) override { return false; }
};
static_assert(std::is_abstract_v<WithoutSync>);

} // namespace
