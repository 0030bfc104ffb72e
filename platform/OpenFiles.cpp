#include "platform/OpenFiles.h"

#include <map>
#include <mutex>

namespace {

std::mutex HeldLock;
std::map<THeldFile, int> Held;

}  // namespace

void HoldFile(const THeldFile& file) {
  const std::lock_guard lock(HeldLock);
  ++Held[file];
}

void ReleaseFile(const THeldFile& file) {
  const std::lock_guard lock(HeldLock);
  const auto found = Held.find(file);
  if (found != Held.end() && --found->second == 0) Held.erase(found);
}

bool IsFileHeld(const THeldFile& file) {
  const std::lock_guard lock(HeldLock);
  return Held.contains(file);
}
