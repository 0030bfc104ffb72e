#include "profile/RemoteBackups.h"

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "sevenzip/PathUtils.h"

namespace {

bool IsNameCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' ||
         c == u'.' || c == u' ';
}

// The listing's objects, one per line as rclone writes them without --stat.
std::vector<std::string> Objects(const std::string& listing) {
  std::vector<std::string> objects;
  std::size_t start = 0;
  for (std::size_t end; (end = listing.find('\n', start)) != std::string::npos; start = end + 1)
    if (listing.compare(start, 1, "{") == 0) objects.push_back(listing.substr(start, end - start));
  return objects;
}

WideString Failed(const WideString& what, const TRcloneResult& run) { return what + u": " + run.Reason; }

// Whether the remote file is the local one: the same hash where the remote
// keeps one, else the same size.
bool SameFile(const WideString& work, const WideString& local, const WideString& remote) {
  const TRcloneResult theirs = RunRclone(work, {u"lsjson", u"--stat", u"--hash", remote});
  if (!theirs.Succeeded) return false;
  for (const char* type : {"md5", "sha1"}) {
    const std::string hash = JsonField(theirs.Output, type);
    if (hash.empty()) continue;
    const TRcloneResult ours = RunRclone(work, {u"hashsum", Utf8ToUtf16Lossy(type), local});
    return ours.Succeeded && ours.Output.substr(0, ours.Output.find(' ')) == hash;
  }
  const TRcloneResult ours = RunRclone(work, {u"lsjson", u"--stat", local});
  const std::string size = JsonField(theirs.Output, "Size");
  return ours.Succeeded && !size.empty() && JsonField(ours.Output, "Size") == size;
}

}  // namespace

bool IsRemoteLocation(const WideString& location) {
  const auto colon = location.find(u':');
  if (colon == WideString::npos || colon < 2 || location[0] == u'-' || location[0] == u' ') return false;
  for (std::size_t i = 0; i < colon; ++i)
    if (!IsNameCharacter(location[i])) return false;
  return true;
}

WideString LocationFromText(const std::string& text) {
  const WideString location = Utf8ToUtf16Lossy(text);
  return IsRemoteLocation(location) ? location : ToSystemPath(text).value_or(u"");
}

WideString RemoteWorkFolder(const WideString& toolDirectory) { return toolDirectory + u"Remote.orvo-work"; }

WideString RemoteFolderPrefix(const WideString& remoteFolder) {
  return remoteFolder.back() == u':' || remoteFolder.back() == u'/' ? remoteFolder : remoteFolder + u"/";
}

WideString RemoteFolderOf(const WideString& remoteFile) {
  const auto slash = remoteFile.find_last_of(u'/');
  return slash == WideString::npos ? remoteFile.substr(0, remoteFile.find(u':') + 1) : remoteFile.substr(0, slash);
}

TJobResult ReachRemoteFolder(const WideString& toolDirectory, const WideString& remoteFolder) {
  const TRcloneResult made = RunRclone(RemoteWorkFolder(toolDirectory), {u"mkdir", remoteFolder});
  if (made.Succeeded) return {true, u""};
  return {false, Failed(u"The remote folder " + remoteFolder + u" cannot be reached", made) + u"\r\nNothing was written."};
}

TJobResult UploadBackup(const WideString& toolDirectory, const WideString& localArchive,
                        const WideString& remoteFolder, const std::function<bool()>& stopped,
                        const TTransferProgress& progress) {
  const WideString work = RemoteWorkFolder(toolDirectory);
  const WideString final = RemoteFolderPrefix(remoteFolder) + WideExtractFileName(localArchive);
  const WideString partial = final + u".partial";
  const TRcloneResult upload = RunRclone(work, {u"copyto", localArchive, partial}, stopped, progress);
  if (!upload.Succeeded) {
    RunRclone(work, {u"deletefile", u"--retries", u"1", u"--low-level-retries", u"1", partial});
    return {false, Failed(u"The upload to " + remoteFolder + u" failed", upload)};
  }
  if (!SameFile(work, localArchive, partial)) {
    RunRclone(work, {u"deletefile", partial});
    return {false, u"The upload to " + remoteFolder + u" arrived different from the backup and was deleted there."};
  }
  const TRcloneResult moved = RunRclone(work, {u"moveto", partial, final});
  if (!moved.Succeeded) return {false, Failed(u"The uploaded backup could not be renamed to " + final, moved)};
  return {true, u""};
}

TJobResult SendBackup(const WideString& toolDirectory, const WideString& localArchive, const WideString& remoteFolder,
                      bool keepLocal, const std::function<bool()>& stopped, const TTransferProgress& progress) {
  const TJobResult upload = UploadBackup(toolDirectory, localArchive, remoteFolder, stopped, progress);
  if (!upload.Completed) return {false, upload.Warning + u"\r\nThe backup is kept here: " + localArchive};
  if (!keepLocal) DeleteFileW(localArchive.c_str());
  return upload;
}

TJobResult BackupProfileToRemote(TSevenZip& zip, const WideString& toolDirectory, const WideString& profileDirectory,
                                 const WideString& remoteFile, const std::function<bool()>& stopped,
                                 const TBackupOptions& options, bool keepLocal, const TTransferProgress& progress) {
  const WideString folder = RemoteFolderOf(remoteFile), work = RemoteWorkFolder(toolDirectory);
  if (const TJobResult reached = ReachRemoteFolder(toolDirectory, folder); !reached.Completed) return reached;
  MakeWorkFolder(work);
  const WideString local = work + u"\\" + remoteFile.substr(RemoteFolderPrefix(folder).size());
  const TJobResult written = BackupProfile(zip, profileDirectory, local, stopped, options);
  if (!written.Completed || !written.Warning.empty()) return written;
  return SendBackup(toolDirectory, local, folder, keepLocal, stopped, progress);
}

TJobResult ListRemoteBackups(const WideString& toolDirectory, const WideString& remoteFolder,
                             std::vector<TRemoteBackup>& backups) {
  const WideString work = RemoteWorkFolder(toolDirectory);
  const TRcloneResult listing = RunRclone(work, {u"lsjson", u"--files-only", remoteFolder});
  if (!listing.Succeeded) return {false, Failed(u"The backups of " + remoteFolder + u" could not be listed", listing)};
  for (const std::string& object : Objects(listing.Output)) {
    const WideString name = Utf8ToUtf16Lossy(JsonField(object, "Name"));
    if (IsDatedArchiveName(name)) backups.push_back({name, std::stoll("0" + JsonField(object, "Size")), JsonField(object, "ModTime")});
  }
  std::sort(backups.begin(), backups.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
  return {true, u""};
}

TRotation RotateRemoteBackups(const WideString& toolDirectory, const WideString& remoteFolder, std::size_t keep,
                              const WideString& justWritten) {
  TRotation rotation;
  std::vector<TRemoteBackup> backups;
  if (const TJobResult listed = ListRemoteBackups(toolDirectory, remoteFolder, backups); !listed.Completed) {
    rotation.Failed.push_back(listed.Warning);
    return rotation;
  }
  std::vector<WideString> names;
  for (const TRemoteBackup& backup : backups) names.push_back(backup.Name);
  const WideString work = RemoteWorkFolder(toolDirectory);
  for (const WideString& name : BeyondTheNewest(names, keep, justWritten)) {
    const TRcloneResult deleted =
        RunRclone(work, {u"deletefile", RemoteFolderPrefix(remoteFolder) + name});
    if (deleted.Succeeded) rotation.Deleted.push_back(name);
    else rotation.Failed.push_back(name + u": " + deleted.Reason);
  }
  return rotation;
}

TJobResult DownloadBackup(const WideString& toolDirectory, const WideString& remoteArchive,
                          const std::function<bool()>& stopped, const TTransferProgress& progress,
                          WideString& localArchive) {
  const WideString work = RemoteWorkFolder(toolDirectory);
  MakeWorkFolder(work);
  localArchive = work + u"\\download-" + remoteArchive.substr(RemoteFolderPrefix(RemoteFolderOf(remoteArchive)).size());
  const TRcloneResult download = RunRclone(work, {u"copyto", remoteArchive, localArchive}, stopped, progress);
  if (download.Succeeded && SameFile(work, localArchive, remoteArchive)) return {true, u""};
  DeleteFileW(localArchive.c_str());
  if (download.Succeeded) return {false, u"The download of " + remoteArchive + u" arrived different from it."};
  return {false, Failed(u"The download of " + remoteArchive + u" failed", download)};
}

TJobResult WithDownloadedBackup(const WideString& toolDirectory, const WideString& remoteArchive,
                                const std::function<bool()>& stopped, const TTransferProgress& progress,
                                const std::function<TJobResult(const WideString& localArchive)>& job) {
  WideString local;
  const TJobResult download = DownloadBackup(toolDirectory, remoteArchive, stopped, progress, local);
  if (!download.Completed) return {false, download.Warning + u"\r\nNothing was changed."};
  const TJobResult result = job(local);
  DeleteFileW(local.c_str());
  RemoveDirectoryW(RemoteWorkFolder(toolDirectory).c_str());
  return result;
}
