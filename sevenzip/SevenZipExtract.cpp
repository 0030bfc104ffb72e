// TSevenZip::Extract: the selection, and the engine's extraction run.
#include <algorithm>
#include <vector>

#include "sevenzip/ArchiveGuard.h"
#include "sevenzip/ExtractCallback.h"
#include "sevenzip/InterfaceRef.h"
#include "sevenzip/ItemProperties.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/SevenZip.h"

Int32 TSevenZip::Extract(bool TestArchive) {
  const TCloseOnExit closeOnExit{this, inA, true};
  if (!OpenArchive()) return -1;
  std::vector<UInt32> selection;
  Int64 total = 0;
  if (!BuildSelection(selection, total)) return -1;
  if (total > 0) RaisePreProgress(total);
  std::sort(selection.begin(), selection.end());
  auto* created = new TMyArchiveExtractCallback(this, inA, AddBackslash(FExtrBaseDir), Ffiles.Count);
  created->AddRefOf();
  TInterfaceRef<IArchiveExtractCallback> callback(created);
  const UInt32 count = Ffiles.Count == 0 ? static_cast<UInt32>(-1) : Ffiles.Count;
  const HRESULT result = RunEngine([&] {
    return inA->Extract(selection.empty() ? nullptr : selection.data(), count, TestArchive ? 1 : 0, callback.Get());
  });
  created->RestoreFolders();
  return result;
}

bool TSevenZip::BuildSelection(std::vector<UInt32>& selection, Int64& total) {
  UInt32 count = 0;
  inA->GetNumberOfItems(&count);
  for (const WideString& entry : Ffiles.WStrings) {
    Int32 index = -1;
    if (!ParseInt32(entry, index)) index = FindItemIndex(entry);
    if (index < 0 || static_cast<UInt32>(index) >= count) {
      ReportError(CodeIndexOutOfRange, u"");
      return false;
    }
    total += static_cast<Int64>(GetItemNumber(inA, static_cast<UInt32>(index), kpidSize));
    selection.push_back(static_cast<UInt32>(index));
  }
  return true;
}
