#pragma once

namespace lockmere {

struct Context;

// The first start's chain: welcome, then the generator, which leads on
// through the master account to the first record; returns when it is over.
void FirstRun(Context& context);
// The same chain from the master account on, for a first start that was
// left there; the key is already in the context.
void FirstRunFromMasterAccount(Context& context);

}  // namespace lockmere
