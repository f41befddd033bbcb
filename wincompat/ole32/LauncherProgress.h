// Progress on the desktop's launcher entry for this program: the Unity
// launcher API's Update signal on the session bus, where docks and panels
// (Unity, Plank, Dash to Dock, KDE) pick it up.
#pragma once

namespace wincompat {

// Never blocks and never fails: without a session bus nothing is shown.
// The latest value wins; earlier ones not yet sent are dropped.
void PublishLauncherProgress(double progress, bool visible);

}  // namespace wincompat
