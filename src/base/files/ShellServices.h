#pragma once

#include <cstdint>
#include <functional>

// What the base services need to know of the application shell, which sits
// far above them: whether another copy of the program runs, and the few
// options they obey. The shell fills these in at start-up; until it does,
// the answers are the defaults below.
struct TShellServices {
    // Another running instance of the program (it may still use the shared
    // temporary files).
    std::function<bool()> OtherInstanceRunning;
    // The options' recent-list length (0 to 30): the most entries a recent
    // list keeps.
    std::int32_t RecentListLength = 10;
    // Show whole paths in menus and captions, not only file names.
    bool ShowFullPaths = false;
    // Settings are being written for another installation (portable paths
    // must then not be made relative to this copy's drive).
    bool WritingSettingsForOtherInstallation = false;
};

TShellServices& ShellServices();
