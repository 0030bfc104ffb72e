#include "app/SaveDialog.h"

#include <algorithm>

#include "platform/UserInterface.h"

WideString PlatformFilter(const WideString& filter) {
  WideString pairs = filter;
  std::replace(pairs.begin(), pairs.end(), u'|', u'\0');
  return pairs + WideString(2, u'\0');
}

TSaveDialog::TSaveDialog(WideString fileName, WideString defaultExtension, WideString filter)
    : FFileName(std::move(fileName)), FDefaultExtension(std::move(defaultExtension)), FFilter(std::move(filter)) {}

bool TSaveDialog::Execute() {
  const WideString filter = PlatformFilter(FFilter);
  WCHAR chosen[MAX_PATH] = {};
  std::copy_n(FFileName.begin(), std::min<std::size_t>(FFileName.size(), MAX_PATH - 1), chosen);
  OPENFILENAMEW dialog =
      FileDialogRecord(nullptr, filter.c_str(), chosen, nullptr, OFN_HIDEREADONLY, FDefaultExtension.c_str());
  if (!GetSaveFileNameW(&dialog)) return false;
  FFileName = chosen;
  return true;
}
