#pragma once

#include "platform/Canvas.h"

namespace baromon::fakes {

// Drawing objects whose next creations fail, to reach the painters' failure paths.
class FailingGraphicsObjects final : public platform::GraphicsObjects {
public:
  // The next `count` creations fail (return 0).
  void failNextCreations(int count) { failing_ = count; }

  platform::ObjectHandle create(const platform::GraphicsObject& object) override {
    if (failing_ > 0) {
      --failing_;
      return 0;
    }
    return GraphicsObjects::create(object);
  }

private:
  int failing_ = 0;
};

} // namespace baromon::fakes
