// The engine behind each new control object.
#pragma once
#include <memory>

#include "capictrl/core/linkorengine.h"

namespace vx {

std::unique_ptr<ILinkorEngine> CreateLinkorEngine();

}  // namespace vx
