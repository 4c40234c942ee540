#pragma once

/**
 * Takes the per-user lock file "Pellimo-<display>.lock" in $XDG_RUNTIME_DIR, else in a private
 * folder under /tmp, and keeps it until the process ends. Returns true when another process
 * holds it; when the lock file cannot be made or locked at all, returns false (carry on as the
 * first instance). Taking it again in the same process returns false.
 */
bool instanceLockHeldElsewhere();
