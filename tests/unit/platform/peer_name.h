#pragma once
// The peer program sits beside the test program (the test's working directory).
#ifdef _WIN32
inline constexpr const char* kPeerCommand = "shared_memory_peer.exe";
#else
inline constexpr const char* kPeerCommand = "./shared_memory_peer";
#endif
