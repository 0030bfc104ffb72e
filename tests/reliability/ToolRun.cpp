#include "tests/reliability/ToolRun.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "tests/TempDir.h"
#include "tests/reliability/Figures.h"

namespace {

// The box's text as OrvoBench prints it in its JSON line.
std::string BoxOf(const std::string& output) {
  const std::string key = "\"box\": \"";
  const auto start = output.find(key);
  if (start == std::string::npos) return "";
  std::string box;
  for (auto i = start + key.size(); i < output.size() && output[i] != '"'; ++i) box += output[i] == '\\' ? output[++i] : output[i];
  return box;
}

}  // namespace

TToolRun RunTool(const std::vector<std::string>& arguments, long killAt, const std::string& log, int seconds) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {false, true, false, ""};
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], 1);
    close(pipeEnds[0]);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LD_PRELOAD", INTERPOSER, 1);
    if (killAt > 0) setenv("FILECALLS_KILL_AT", std::to_string(killAt).c_str(), 1);
    if (!log.empty()) setenv("FILECALLS_LOG", log.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(BENCH_PROGRAM)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(BENCH_PROGRAM, argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  TToolRun run;
  std::string output;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    pollfd readable{pipeEnds[0], POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      run.Hung = true;
      kill(child, SIGKILL);
      break;
    }
    if (poll(&readable, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
  }
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.Killed = !run.Hung && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  run.Crashed = !run.Hung && !run.Killed && (WIFSIGNALED(status) || WEXITSTATUS(status) != 0);
  run.Box = BoxOf(output);
  return run;
}

void CountRun(const TToolRun& run) {
  ++Figures().Tried;
  Figures().Crashed += run.Crashed;
  Figures().Hung += run.Hung;
}

std::vector<std::string> LoggedCalls(const std::string& log) {
  std::vector<std::string> calls;
  std::ifstream file(log);
  for (std::string line; std::getline(file, line);) calls.push_back(line);
  return calls;
}

void CopyTree(const std::string& from, const std::string& to) { RunCommand("cp -a '" + from + "' '" + to + "'"); }
