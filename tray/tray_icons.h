#pragma once
#include <cstdint>

namespace savrin {

// Icon resources of the tray, in two sets: 16 colours (129-131) for old
// shells and 256 colours (132-134) for newer ones. The sets list their roles
// in different orders.
enum class TrayIconRole { Running, Stopped, Blink };

int TrayIconResource(TrayIconRole role, uint32_t newShellIcons);

// The icon that shows the monitoring state; only a flag of exactly 1 counts
// as stopped.
int StatusIconResource(int32_t stoppedFlag, uint32_t newShellIcons);

// 1 for shells that take the 256-colour set: major version 5 or more and,
// tested on its own, minor version 1 or more (5.1, 5.2, 6.1, 6.2 but not 5.0,
// 6.0 or 10.0), both compared unsigned.
uint32_t NewShellIconsFor(uint32_t majorVersion, uint32_t minorVersion);

}  // namespace savrin
