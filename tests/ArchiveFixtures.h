// Trees to archive and what the 7z command says of an archive.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/TempDir.h"

// A small profile-like tree under root: nested directories, empty files, an
// empty directory, non-ASCII names, a read-only file and compressible data.
void MakeSampleTree(const TTempDir& dir, const std::string& root);

// Deterministic text-like data that compresses differently at each level.
std::string CompressibleData(std::size_t size, unsigned seed);
// Deterministic bytes that do not compress.
std::string IncompressibleData(std::size_t size, unsigned seed);

struct TListedEntry {
  std::map<std::string, std::string> Fields;
  const std::string& operator[](const std::string& field) const;
};

// The entries `7z l -slt` shows, in archive order, keyed by their fields.
std::vector<TListedEntry> ListArchive(const std::string& archive, const std::string& switches = "");

// One line per entry of a host tree: path, kind, mode, size, content
// checksum and modification time in two-second steps; sorted. Exact: every
// entry's time to the nanosecond, folders' too.
std::vector<std::string> DescribeTree(const std::string& root, bool exact = false);

// The copies a restore kept of the profile it replaced: the host paths of
// the folders Profile.before-restore-YYYY-MM-DD-HHMMSS in folder, sorted.
std::vector<std::string> KeptCopies(const std::string& folder);
