#include "profile/ArchiveCheck.h"

#include "sevenzip/PathUtils.h"

WideString ArchiveNotOpened(const WideString& archiveName, const WideString& described) {
  if (!WideFileExists(archiveName)) return u"The backup file " + archiveName + u" was not found.";
  if (!described.empty()) return described;
  return u"The file " + archiveName + u" is not a 7z archive.";
}

TJobResult TestArchive(TSevenZip& zip, const WideString& archiveName) {
  TJobLog log(zip, archiveName);
  zip.Files().Clear();
  zip.SetSZFileName(archiveName);
  zip.SetLastError(0);
  const Int32 result = zip.Extract(true);
  WideString problem = log.Describe(archiveName);
  if (result == -1) problem = ArchiveNotOpened(archiveName, problem);
  if (problem.empty() && result != 0) {
    problem = u"The backup " + archiveName + u" could not be read to its end";
    problem += zip.LastError() ? u": " + SystemErrorText(zip.LastError()) : u".";
  }
  return {problem.empty(), problem};
}

TArchiveItem ListedItem(const WideString& name, Int64 size, Int64 attributes, double modified) {
  return {name, size, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, modified};
}

TJobResult ListArchive(TSevenZip& zip, const WideString& archiveName, std::vector<TArchiveItem>& items) {
  TJobLog log(zip, archiveName);
  const T7zListfileEvent saved = zip.OnListfile;
  zip.OnListfile = [&items](TSevenZip*, const WideString& name, Int64, Int64 size, Int64, Int64 attributes, Int64,
                            const WideString&, double modified) {
    items.push_back(ListedItem(name, size, attributes, modified));
  };
  zip.SetSZFileName(archiveName);
  const Int32 result = zip.List();
  zip.OnListfile = saved;
  if (result >= 0) return {true, u""};
  return {false, ArchiveNotOpened(archiveName, log.Describe(archiveName))};
}
