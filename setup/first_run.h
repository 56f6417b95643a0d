#pragma once

namespace lockmere {

struct Context;

// The first start's chain: welcome, then the generator, which leads on
// through the master account to the first record; returns when it is over.
void FirstRun(Context& context);

}  // namespace lockmere
