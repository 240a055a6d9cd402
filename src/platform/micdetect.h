#pragma once

// The integrity helper: whether the process runs at the highest level of the operating
// system's mandatory integrity control.
namespace MICDetect {

// Debian has no mandatory integrity levels (AppArmor and SELinux confine programs, they
// do not rank processes), so every process has the highest level there is.
bool isCurrentProcessHasMaxMIC();

} // namespace MICDetect
