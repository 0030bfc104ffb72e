// The files this process holds open through CreateFileW, by device and
// inode. Windows refuses to create anew or write a file that a handle holds
// open without sharing it (a sharing violation); the host layer does the
// same for its own handles, so that nothing overwrites the file it reads.
#pragma once

#include <sys/types.h>

#include <compare>

struct THeldFile {
  dev_t Device;
  ino_t Inode;
  auto operator<=>(const THeldFile&) const = default;
};

void HoldFile(const THeldFile& file);
void ReleaseFile(const THeldFile& file);
bool IsFileHeld(const THeldFile& file);
