#include "core/camera/models.h"

#include <array>

namespace vel {
namespace {

constexpr std::array<std::string_view, kModelCount> kModelNames = {
    "QV-2000UX", "QV-2300UX", "QV-2400UX", "QV-2800UX", "QV-2900UX",
    "QV-3000EX", "QV-3500EX", "QV-4000",   "QV-5700",   "QV-8000SX",
};

}  // namespace

std::span<const std::string_view> ModelNames() {
  return kModelNames;
}

int EffectiveModel(int model) {
  return model >= 0 && model < kModelCount ? model : kFallbackModel;
}

std::string_view ModelName(int model) {
  return kModelNames[EffectiveModel(model)];
}

bool HasUsbSwitch(int model) {
  const int effective = EffectiveModel(model);
  return effective != kModelQv2000 && effective != kModelQv8000;
}

bool TakesModeBytes(int model) {
  return model == kModelQv4000 || model == kModelQv5700;
}

}  // namespace vel
