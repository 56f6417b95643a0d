#pragma once

namespace lockmere {

struct Context;

// The File menu's backup: the backup window in backup mode.
void BackupCommand(Context& context);
// The File menu's restore: asks first, then the backup window in restore
// mode. True when the user agreed; the caller then logs out.
bool RestoreCommand(Context& context);

}  // namespace lockmere
