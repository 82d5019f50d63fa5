#pragma once
// Class identifiers and strings that hosts store in their projects: never change them.
#include "pluginterfaces/base/funknown.h"

namespace kez {

inline const Steinberg::FUID kProcessorClassId(0x8E5F1D42, 0x3B7A4C9E, 0x9D2B6F01, 0x7C4A5E33);
inline const Steinberg::FUID kControllerClassId(0x2A9C7E15, 0x64D14B8F, 0xB3E0592A, 0x18F6C7D4);

inline constexpr const char* kPluginVersion = "1.14.16";
inline constexpr const char* kPluginSdkVersion = "VST 3.7.12";
inline constexpr const char* kPluginVendor = "Kez";

}  // namespace kez
