#include "platform/KeyState.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace Platform {
namespace {

constexpr std::uint8_t kDown = 0x80;
constexpr std::uint8_t kToggled = 0x01;
// Virtual keys of the key tables (published values).
constexpr int kShift = 0x10, kControl = 0x11, kLeftButton = 0x01, kRightButton = 0x02;

// Input arrives on the main thread, but the asynchronous queries may come
// from any thread.
std::mutex g_lock;
std::array<std::uint8_t, 256> g_keys{};

}  // namespace

bool IsKeyDown(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

unsigned AsyncShiftState() {
    unsigned state = 0;
    if (IsKeyDown(kShift))
        state |= 1;
    if (IsKeyDown(kControl))
        state |= 4;
    if (IsKeyDown(kLeftButton))
        state |= 8;
    if (IsKeyDown(kRightButton))
        state |= 16;
    return state;
}

std::int16_t GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255)
        return 0;
    std::lock_guard<std::mutex> guard(g_lock);
    const std::uint8_t v = g_keys[static_cast<std::size_t>(virtualKey)];
    return static_cast<std::int16_t>(((v & kDown) != 0 ? 0x8000 : 0) | (v & kToggled));
}

void GetKeyboardState(std::uint8_t* keys) {
    std::lock_guard<std::mutex> guard(g_lock);
    std::memcpy(keys, g_keys.data(), g_keys.size());
}

void SetKeyboardState(const std::uint8_t* keys) {
    std::lock_guard<std::mutex> guard(g_lock);
    std::memcpy(g_keys.data(), keys, g_keys.size());
}

void RecordKey(int virtualKey, bool down) {
    if (virtualKey < 0 || virtualKey > 255)
        return;
    std::lock_guard<std::mutex> guard(g_lock);
    std::uint8_t& v = g_keys[static_cast<std::size_t>(virtualKey)];
    if (down) {
        if ((v & kDown) == 0)
            v ^= kToggled;
        v |= kDown;
    } else {
        v &= static_cast<std::uint8_t>(~kDown);
    }
}

}  // namespace Platform
