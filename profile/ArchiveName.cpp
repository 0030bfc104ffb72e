#include "profile/ArchiveName.h"

#include <algorithm>

#include "platform/FileApi.h"
#include "sevenzip/PathUtils.h"

namespace {

WideString Without(WideString text, char16_t removed) {
  text.erase(std::remove(text.begin(), text.end(), removed), text.end());
  return text;
}

WideString ShortForm(const WideString& directory) {
  if (directory.empty()) return u"";
  WideString buffer(MAX_PATH, u'\0');
  DWORD length = GetShortPathNameW(directory.c_str(), buffer.data(), MAX_PATH);
  if (length > MAX_PATH) {
    buffer.assign(length, u'\0');
    length = GetShortPathNameW(directory.c_str(), buffer.data(), length);
  }
  buffer.resize(std::min<std::size_t>(length, buffer.size()));
  return buffer;
}

}  // namespace

TArchiveName CleanArchiveName(const WideString& text) {
  const WideString directory = Without(WideExtractFilePath(text), u'"');
  const WideString file = Without(WideExtractFileName(text), u' ');
  const WideString shortDirectory = ShortForm(directory);
  return {Without(shortDirectory + file, u'"'), directory, !directory.empty() && shortDirectory.empty()};
}
