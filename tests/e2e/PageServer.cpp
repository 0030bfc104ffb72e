#include "tests/e2e/PageServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::string Page(const std::string& name) {
  const std::string next =
      name.starts_with("walk-") ? "setTimeout(() => location.href = '/walk-' + (" + name.substr(5) + " + 1), 20);" : "";
  return "<html><head><title>Page " + name + "</title></head><body><script>localStorage.setItem('" + name +
         "', 'stored');document.cookie = '" + name + "=baked; max-age=999999';" + next + "</script>" + name +
         "</body></html>";
}

}  // namespace

TPageServer::TPageServer() {
  FSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(FSocket, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &length);
  FPort = ntohs(address.sin_port);
  listen(FSocket, 16);
  FThread = std::thread([this] { Serve(); });
}

TPageServer::~TPageServer() {
  FStopping = true;
  shutdown(FSocket, SHUT_RDWR);
  close(FSocket);
  FThread.join();
}

std::string TPageServer::Url(const std::string& name) const {
  return "http://127.0.0.1:" + std::to_string(FPort) + "/" + name;
}

void TPageServer::Serve() {
  while (!FStopping) {
    const int client = accept4(FSocket, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::string request;
    char buffer[4096];
    for (ssize_t n; request.find("\r\n\r\n") == std::string::npos && (n = read(client, buffer, sizeof buffer)) > 0;)
      request.append(buffer, static_cast<std::size_t>(n));
    const auto space = request.find(" /");
    const std::string name =
        space == std::string::npos ? "" : request.substr(space + 2, request.find(' ', space + 2) - space - 2);
    const std::string body = name.empty() || name == "favicon.ico" ? "" : Page(name);
    const std::string response = std::string(body.empty() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                                 "\r\nContent-Type: text/html\r\nConnection: close\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n" + body;
    (void)!write(client, response.data(), response.size());
    close(client);
  }
}
