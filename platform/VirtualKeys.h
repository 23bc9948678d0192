#pragma once

// Windows virtual-key codes: the viewer names its polled keys by them on every platform.
namespace vk {
constexpr int left = 0x25;
constexpr int up = 0x26;
constexpr int right = 0x27;
constexpr int down = 0x28;
constexpr int a = 0x41;
constexpr int d = 0x44;
constexpr int q = 0x51;
constexpr int s = 0x53;
constexpr int v = 0x56;
constexpr int w = 0x57;
constexpr int z = 0x5A;
}  // namespace vk
