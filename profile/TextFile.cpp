#include "profile/TextFile.h"

#include "platform/FileApi.h"

std::string ReadTextFile(const WideString& name) {
  std::string text;
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

bool WriteTextFile(const WideString& name, const std::string& text) {
  const WideString partial = name + u".partial";
  const HANDLE file =
      CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  if (CloseHandle(file) && complete && MoveFileExW(partial.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileW(partial.c_str());
  return false;
}

bool FileBeginsWith(const WideString& name, const std::string& bytes) {
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string read(bytes.size(), '\0');
  DWORD count = 0;
  const bool begins = ReadFile(file, read.data(), static_cast<DWORD>(read.size()), &count, nullptr) &&
                      count == read.size() && read == bytes;
  CloseHandle(file);
  return begins;
}
