// Small POSIX helpers for the Unix stream socket between the library and tolvex-emu.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tolvex {

// A connected socket, or -1. Paths longer than a socket address can hold fail.
int ConnectUnixSocket(const std::string& path);
// A listening socket, or -1 with errno set.
int ListenUnixSocket(const std::string& path);
// Writes every byte, waiting while the socket is full; false when the peer is gone.
bool WriteAll(int fd, std::span<const std::uint8_t> bytes);
bool SetNonBlocking(int fd);
void CloseQuietly(int& fd);

}  // namespace tolvex
