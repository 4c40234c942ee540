#pragma once

/**
 * Takes the per-user lock file "Pellimo-<uid>-<display>.lock", <display> being the X server's
 * host and display number, in $XDG_RUNTIME_DIR when that folder is private to the user (made
 * when missing, as Qt makes it), else in a private folder under /tmp, and keeps it until the process ends. Returns true
 * when another process of ours holds it; when the lock file cannot be made or locked at all, or
 * belongs to another user, returns false (carry on as the first instance) and says why on
 * standard error. Taking it again in the same process returns false.
 */
bool instanceLockHeldElsewhere();
