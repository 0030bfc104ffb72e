// What a platform handle points to on this host: files and process
// snapshots are objects of the host layer, all closed by CloseHandle.
#pragma once

class THostObject {
 public:
  virtual ~THostObject() = default;
  // The POSIX descriptor of a file object; -1 for any other object.
  virtual int Descriptor() const { return -1; }
};
