#include "profile/BackupVerification.h"

#include <algorithm>
#include <tuple>

namespace {

using TItemKey = std::tuple<WideString, Int64, bool>;

template <typename T>
std::vector<TItemKey> SortedKeys(const std::vector<T>& items) {
  std::vector<TItemKey> keys;
  keys.reserve(items.size());
  for (const T& item : items) keys.emplace_back(item.Name, item.Directory ? 0 : item.Size, item.Directory);
  std::stable_sort(keys.begin(), keys.end());
  return keys;
}

std::vector<WideString> NamesOnlyIn(const std::vector<TItemKey>& these, const std::vector<TItemKey>& others) {
  std::vector<TItemKey> only;
  std::set_difference(these.begin(), these.end(), others.begin(), others.end(), std::back_inserter(only));
  std::vector<WideString> names;
  for (const TItemKey& key : only) names.push_back(std::get<0>(key));
  return names;
}

// What differs between the items added and those listed; empty when nothing.
WideString Differences(const std::vector<TAddedItem>& added, const std::vector<TArchiveItem>& listing) {
  const std::vector<TItemKey> expected = SortedKeys(added), found = SortedKeys(listing);
  WideString text;
  const std::vector<WideString> missing = NamesOnlyIn(expected, found), unexpected = NamesOnlyIn(found, expected);
  if (!missing.empty()) text += u" These items are missing from it or differ in size:" + ListOfFiles(missing);
  if (!unexpected.empty()) text += u" It holds these items that were not added as they are:" + ListOfFiles(unexpected);
  return text;
}

}  // namespace

TJobResult VerifyBackup(TSevenZip& zip, const WideString& archiveName, const std::vector<TAddedItem>& added,
                        std::vector<TArchiveItem>& listing) {
  const TJobResult tested = TestArchive(zip, archiveName);
  if (!tested.Completed) return tested;
  listing.clear();
  const TJobResult listed = ListArchive(zip, archiveName, listing);
  if (!listed.Completed) return listed;
  const WideString differences = Differences(added, listing);
  if (differences.empty()) return {true, u""};
  return {false, u"The backup " + archiveName + u" does not hold what was added." + differences};
}
