// Pages served on 127.0.0.1 for the browser in the tests: each page has a
// title, sets a cookie and writes to local storage. A page named walk-N
// goes on to walk-N+1 at once, so that a browser on it writes its profile
// all the time.
#pragma once

#include <atomic>
#include <string>
#include <thread>

class TPageServer {
 public:
  TPageServer();
  ~TPageServer();
  TPageServer(const TPageServer&) = delete;
  TPageServer& operator=(const TPageServer&) = delete;

  // The address of a page, such as http://127.0.0.1:PORT/NAME.
  std::string Url(const std::string& name) const;

 private:
  void Serve();

  int FSocket = -1;
  int FPort = 0;
  std::atomic<bool> FStopping{false};
  std::thread FThread;
};
