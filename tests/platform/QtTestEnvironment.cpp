#include <cstdlib>

// The window tests run on Qt's offscreen platform plugin and never need a
// display; the choice is made before anything starts Qt. The X server smoke
// test runs this program again inside a virtual X server, with
// REZ_XVFB_CHILD set, to talk to a real X clipboard.
namespace {
const bool g_offscreen = (std::getenv("REZ_XVFB_CHILD") != nullptr ? setenv("QT_QPA_PLATFORM", "xcb", 1)
                                                                   : setenv("QT_QPA_PLATFORM", "offscreen", 1),
                          true);
}  // namespace
