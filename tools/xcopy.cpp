// The stand-in for the system's xcopy.exe: copies "SOURCE\*.* TARGET" with
// the effect of /E /Q /H /I /R /Y: every subdirectory, empty ones too; no
// names shown; hidden files too; the target taken as a directory; read-only
// and existing targets replaced without asking. Paths come in system form
// ('\'), unquoted: the command line is read whole, as xcopy.exe reads it,
// so blanks inside a path (two in a row too) stay as they were. Links and
// special files are left out. Exits 0 when everything was copied, 4 when
// the command line names no source, 5 when something could not be copied.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/HostPath.h"

namespace fs = std::filesystem;

namespace {

bool IsSwitch(const std::string& argument) { return argument.size() == 2 && argument[0] == '/'; }

// The host form of a system path, as every program of this system reaches
// files (the browsers' short-named folders included).
std::string HostForm(const std::string& path) {
  const auto system = Utf8ToUtf16(path);
  return system ? ToHostPath(*system).value_or(path) : path;
}

// The command line as it was given: whole from the environment when the
// starter put it there, else the arguments joined by blanks.
std::string CommandLine(int argc, char* argv[]) {
  if (const char* whole = std::getenv("WINDOWS_COMMAND_LINE")) return whole;
  std::string text;
  for (int i = 1; i < argc; ++i) text += (i > 1 ? " " : "") + std::string(argv[i]);
  return text;
}

// The source directory and the target, once the switches at the end are gone.
bool ParseCommandLine(std::string text, fs::path& source, fs::path& target) {
  for (auto blank = text.find_last_of(' '); blank != std::string::npos && IsSwitch(text.substr(blank + 1));
       blank = text.find_last_of(' '))
    text.erase(blank);
  // The paths arrive in system form or, started on this host, in host form.
  const std::string mask = "*.* ";
  const auto at = text.find(mask);
  if (at == std::string::npos || at == 0 || (text[at - 1] != '\\' && text[at - 1] != '/')) return false;
  source = HostForm(text.substr(0, at - 1));
  target = HostForm(text.substr(at + mask.size()));
  return !target.empty();
}

// Replaces a target file, read-only or not, by a copy with the source's
// permissions and modification time.
bool CopyFile(const fs::path& source, const fs::path& target) {
  std::error_code error;
  if (fs::exists(fs::symlink_status(target, error))) {
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, error);
    fs::remove(target, error);
  }
  if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, error)) return false;
  const auto modified = fs::last_write_time(source, error);
  if (!error) fs::last_write_time(target, modified, error);
  return !error;
}

// A folder gets the permissions of its source, as the files do.
bool CopyTree(const fs::path& source, const fs::path& target) {
  std::error_code error;
  fs::create_directories(target, error);
  if (error) return false;
  fs::permissions(target, fs::status(source, error).permissions(), error);
  bool complete = true;
  fs::directory_iterator entries(source, error);
  if (error) return false;
  for (const fs::directory_entry& entry : entries) {
    std::error_code kind;
    const fs::file_status status = entry.symlink_status(kind);
    const fs::path destination = target / entry.path().filename();
    if (fs::is_directory(status)) complete = CopyTree(entry.path(), destination) && complete;
    if (fs::is_regular_file(status)) complete = CopyFile(entry.path(), destination) && complete;
  }
  return complete;
}

}  // namespace

int main(int argc, char* argv[]) {
  fs::path source, target;
  if (!ParseCommandLine(CommandLine(argc, argv), source, target)) {
    std::fputs("Invalid number of parameters\n", stderr);
    return 4;
  }
  std::error_code error;
  if (!fs::is_directory(source, error)) {
    std::fprintf(stderr, "File not found - %s\n", source.c_str());
    return 4;
  }
  return CopyTree(source, target) ? 0 : 5;
}
