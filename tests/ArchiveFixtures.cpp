#include "tests/ArchiveFixtures.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>
#include <filesystem>
#include <fstream>
#include <sstream>


void MakeSampleTree(const TTempDir& dir, const std::string& root) {
  dir.MakeDirectory(root + "/Default/Cache/Cache_Data");
  dir.MakeDirectory(root + "/Default/Extensions/empty dir");
  dir.MakeDirectory(root + "/Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
  dir.Write(root + "/Local State", "{\"profile\":{}}");
  dir.Write(root + "/Default/Bookmarks", CompressibleData(20000, 1));
  dir.Write(root + "/Default/History", CompressibleData(300000, 2));
  dir.Write(root + "/Default/Cache/Cache_Data/index", "");
  dir.Write(root + "/Default/Cache/Cache_Data/f_000001", CompressibleData(5000, 3));
  dir.Write(root + "/Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC/\xF0\x9F\x98\x80 notes.txt", "unicode");
  dir.Write(root + "/Default/Preferences", "{}");
  chmod(dir.Host(root + "/Default/Preferences").c_str(), 0444);
  chmod(dir.Host(root + "/Default/History").c_str(), 0600);
}

std::string CompressibleData(std::size_t size, unsigned seed) {
  static const char* const Words[] = {"visit", "https://", "example", ".org/", "page", "?q=", "orvo", " ",
                                      "\n", "title", "favicon", "2026", "-", "bookmark", "{\"url\":", "}"};
  std::string data;
  unsigned state = seed * 2654435761u + 1;
  while (data.size() < size) {
    state = state * 1103515245u + 12345u;
    data += Words[(state >> 16) % 16];
    if ((state >> 8) % 7 == 0) data += std::to_string(state % 100000);
  }
  data.resize(size);
  return data;
}

std::string IncompressibleData(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 7;
  for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  return bytes;
}

const std::string& TListedEntry::operator[](const std::string& field) const {
  static const std::string None = "<none>";
  const auto found = Fields.find(field);
  return found == Fields.end() ? None : found->second;
}

std::vector<TListedEntry> ListArchive(const std::string& archive, const std::string& switches) {
  std::istringstream output(RunCommand("7z l -slt " + switches + " '" + archive + "' </dev/null"));
  std::vector<TListedEntry> entries;
  bool inEntries = false;
  for (std::string line; std::getline(output, line);) {
    if (line == "----------") {
      inEntries = true;
      continue;
    }
    if (!inEntries) continue;
    const auto equals = line.find(" = ");
    if (line.rfind("Path = ", 0) == 0) entries.emplace_back();
    if (equals != std::string::npos && !entries.empty())
      entries.back().Fields[line.substr(0, equals)] = line.substr(equals + 3);
  }
  return entries;
}

std::vector<std::string> DescribeTree(const std::string& root, bool exact) {
  std::vector<std::string> lines;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    struct stat st {};
    lstat(entry.path().c_str(), &st);
    std::ostringstream line;
    line << std::filesystem::relative(entry.path(), root).string() << " " << std::oct << st.st_mode << std::dec;
    if (S_ISREG(st.st_mode)) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::uint64_t sum = 1469598103934665603ULL;
      std::vector<char> block(1 << 20);
      while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
        for (std::streamsize i = 0; i < in.gcount(); ++i)
          sum = (sum ^ static_cast<unsigned char>(block[static_cast<std::size_t>(i)])) * 1099511628211ULL;
      line << " " << st.st_size << " " << std::hex << sum << std::dec;
      if (!exact) line << " " << st.st_mtim.tv_sec / 2;
    }
    if (exact) line << " " << st.st_mtim.tv_sec << "." << st.st_mtim.tv_nsec;
    lines.push_back(line.str());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> KeptCopies(const std::string& folder) {
  std::vector<std::string> copies;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (const std::string name = entry.path().filename();
        name.starts_with("Profile.before-restore-") && name.size() == std::string("Profile.before-restore-").size() + 17)
      copies.push_back(entry.path());
  std::sort(copies.begin(), copies.end());
  return copies;
}
