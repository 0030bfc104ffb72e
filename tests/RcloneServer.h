// A real rclone server on 127.0.0.1 (rclone serve webdav or sftp) over a
// folder, configured as a remote for every rclone this process starts
// through rclone's environment configuration, with an empty configuration
// file of the test's own. Stopped by Stop or when it goes.
#pragma once

#include <sys/types.h>

#include <string>

class TRcloneServer {
 public:
  // kind: "webdav" or "sftp"; scratch: a folder for the configuration and
  // the server's keys.
  TRcloneServer(const std::string& kind, const std::string& name, const std::string& folder,
                const std::string& scratch, bool readOnly = false);
  ~TRcloneServer();
  TRcloneServer(const TRcloneServer&) = delete;
  TRcloneServer& operator=(const TRcloneServer&) = delete;

  bool Running() const { return FServer > 0; }
  void Stop();

 private:
  void Configure(const std::string& key, const std::string& value);

  std::string FPrefix;
  pid_t FServer = -1;
};
