#include <cstdlib>

// The window tests run on Qt's offscreen platform plugin and never need a
// display; the choice is made before anything starts Qt.
namespace {
const bool g_offscreen = (setenv("QT_QPA_PLATFORM", "offscreen", 1), true);
}  // namespace
