#include "tray/tray_icons.h"

namespace savrin {

int TrayIconResource(TrayIconRole role, uint32_t newShellIcons) {
  switch (role) {
    case TrayIconRole::Running: return newShellIcons != 0 ? 134 : 130;
    case TrayIconRole::Stopped: return newShellIcons != 0 ? 132 : 131;
    case TrayIconRole::Blink: return newShellIcons != 0 ? 133 : 129;
  }
  return 0;
}

int StatusIconResource(int32_t stoppedFlag, uint32_t newShellIcons) {
  return TrayIconResource(stoppedFlag == 1 ? TrayIconRole::Stopped : TrayIconRole::Running, newShellIcons);
}

uint32_t NewShellIconsFor(uint32_t majorVersion, uint32_t minorVersion) {
  return majorVersion >= 5 && minorVersion >= 1 ? 1 : 0;
}

}  // namespace savrin
