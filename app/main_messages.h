#pragma once

#include <QString>

#include "store/key_file.h"
#include "store/record_store.h"

namespace lockmere {

// The main window's message texts; the window picks the box each goes in.

// The key file could not be read: at start (where it adds that nobody can
// log in) or at a login.
QString KeyFileUnreadableText(int code);
// The store could not be read at a login.
QString StoreUnreadableText(int code);
// Why a login did not match; empty for a match.
QString LoginOutcomeText(const LoginCheck& check);
// A written save's confirmation, or why nothing was written.
QString SaveOutcomeText(const StoreWriteResult& result);

}  // namespace lockmere
