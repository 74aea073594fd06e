#include "platform/Canvas.h"

namespace baromon::platform {

ObjectHandle GraphicsObjects::create(const GraphicsObject& object) {
  objects_.emplace_back(object);
  return static_cast<ObjectHandle>(objects_.size() - 1);
}

void GraphicsObjects::destroy(ObjectHandle handle) {
  if (handle == 0 || handle == stockFont_ || handle == stockPen_ || handle == stockBrush_ ||
      handle >= objects_.size()) {
    return;
  }
  objects_[handle].reset();
}

const GraphicsObject* GraphicsObjects::find(ObjectHandle handle) const {
  if (handle == 0 || handle >= objects_.size() || !objects_[handle]) {
    return nullptr;
  }
  return &*objects_[handle];
}

ObjectHandle GraphicsObjects::stockFixedFont() {
  if (stockFont_ == 0) {
    objects_.emplace_back(FontSpec{});
    stockFont_ = static_cast<ObjectHandle>(objects_.size() - 1);
  }
  return stockFont_;
}

ObjectHandle GraphicsObjects::stockBlackPen() {
  if (stockPen_ == 0) {
    objects_.emplace_back(PenSpec{PenStyle::Solid, 1, {0, 0, 0}});
    stockPen_ = static_cast<ObjectHandle>(objects_.size() - 1);
  }
  return stockPen_;
}

ObjectHandle GraphicsObjects::stockWhiteBrush() {
  if (stockBrush_ == 0) {
    objects_.emplace_back(BrushSpec{{255, 255, 255}});
    stockBrush_ = static_cast<ObjectHandle>(objects_.size() - 1);
  }
  return stockBrush_;
}

std::size_t GraphicsObjects::liveCount() const {
  std::size_t live = 0;
  for (const auto& slot : objects_) {
    live += slot ? 1 : 0;
  }
  return live;
}

CanvasSelection::CanvasSelection(GraphicsObjects& objects)
    : objects_(objects), penHandle_(objects.stockBlackPen()), brushHandle_(objects.stockWhiteBrush()),
      fontHandle_(objects.stockFixedFont()) {}

ObjectHandle CanvasSelection::select(ObjectHandle handle) {
  const GraphicsObject* object = objects_.find(handle);
  if (object == nullptr) {
    return 0;
  }
  ObjectHandle previous = 0;
  if (const auto* pen = std::get_if<PenSpec>(object)) {
    previous = penHandle_;
    penHandle_ = handle;
    pen_ = *pen;
  } else if (const auto* brush = std::get_if<BrushSpec>(object)) {
    previous = brushHandle_;
    brushHandle_ = handle;
    brush_ = *brush;
  } else {
    previous = fontHandle_;
    fontHandle_ = handle;
    font_ = std::get<FontSpec>(*object);
  }
  return previous;
}

} // namespace baromon::platform
