#pragma once

// The system calls by which the serial port, the picture copy and the
// profile save reach the line and the disk, gathered in one table so that a
// test can watch them or make them fail. The program links the real calls
// (system_calls_posix.cpp); the one test program that watches them links a
// table of its own in that file's place.

#include <fcntl.h>
#include <stdio.h>
#include <sys/types.h>
#include <unistd.h>

namespace vel {

struct SystemCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  int (*ioctl)(int fd, unsigned long request, void* argument);
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  ssize_t (*copyFileRange)(int in, off64_t* inAt, int out, off64_t* outAt, size_t size,
                           unsigned flags);
  int (*renameat2)(int fromDir, const char* from, int toDir, const char* to, unsigned flags);
  int (*link)(const char* from, const char* to);
  int (*rename)(const char* from, const char* to);
};

extern const SystemCalls kSystemCalls;

}  // namespace vel
