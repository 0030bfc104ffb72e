#include "platform/ShellLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/DesktopEntry.h"
#include "platform/HostPath.h"
#include "platform/HostStat.h"

namespace {

constexpr DWORD HasLinkInfo = 0x02;
constexpr DWORD HasWorkingDir = 0x10;
constexpr DWORD HasArguments = 0x20;
constexpr DWORD IsUnicode = 0x80;
constexpr DWORD LinkInfoHeaderSize = 0x24;
constexpr DWORD VolumeIDAndLocalBasePath = 1;
constexpr DWORD VolumeIDSize = 0x11;

class TLinkBytes {
 public:
  std::vector<BYTE> Bytes;

  void Dword(DWORD value) {
    for (int i = 0; i < 4; ++i) Bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
  }
  void Word(WORD value) {
    Bytes.push_back(static_cast<BYTE>(value));
    Bytes.push_back(static_cast<BYTE>(value >> 8));
  }
  void FileTime(const FILETIME& time) {
    Dword(time.dwLowDateTime);
    Dword(time.dwHighDateTime);
  }
  void Guid(const GUID& guid) {
    Dword(guid.Data1);
    Word(guid.Data2);
    Word(guid.Data3);
    Bytes.insert(Bytes.end(), guid.Data4, guid.Data4 + 8);
  }
  void Units(const WideString& text) {
    for (char16_t unit : text) Word(unit);
  }
  // The ANSI form: characters outside ASCII become '?'.
  void Ansi(const WideString& text) {
    for (char16_t unit : text) Bytes.push_back(unit < 0x80 ? static_cast<BYTE>(unit) : '?');
  }
  void CountedString(const WideString& text) {
    Word(static_cast<WORD>(text.size()));
    Units(text);
  }
};

// The LinkInfo structure: a local base path on a fixed volume.
void AppendLinkInfo(TLinkBytes& out, const WideString& target) {
  const DWORD localBase = LinkInfoHeaderSize + VolumeIDSize;
  const DWORD suffix = localBase + static_cast<DWORD>(target.size()) + 1;
  const DWORD localBaseUnicode = suffix + 1;
  const DWORD suffixUnicode = localBaseUnicode + static_cast<DWORD>(target.size() + 1) * 2;
  out.Dword(suffixUnicode + 2);
  out.Dword(LinkInfoHeaderSize);
  out.Dword(VolumeIDAndLocalBasePath);
  out.Dword(LinkInfoHeaderSize);
  out.Dword(localBase);
  out.Dword(0);
  out.Dword(suffix);
  out.Dword(localBaseUnicode);
  out.Dword(suffixUnicode);
  out.Dword(VolumeIDSize);
  out.Dword(3);  // a fixed drive
  out.Dword(0);
  out.Dword(0x10);
  out.Bytes.push_back(0);
  out.Ansi(target);
  out.Bytes.push_back(0);
  out.Bytes.push_back(0);
  out.Units(target);
  out.Word(0);
  out.Word(0);
}

std::vector<BYTE> LinkFile(const WideString& target, const WideString& arguments, const WideString& directory) {
  struct stat st {};
  const bool exists = stat(Utf16ToUtf8Lossy(target).c_str(), &st) == 0;
  const FILETIME none{0, 0};
  TLinkBytes out;
  out.Dword(0x4C);
  out.Guid(CLSID_ShellLink);
  out.Dword(HasLinkInfo | HasWorkingDir | HasArguments | IsUnicode);
  out.Dword(exists ? AttributesFromStat(st) & 0xFFFF & ~FILE_ATTRIBUTE_UNIX_EXTENSION : 0);
  out.FileTime(exists ? FileTimeFromTimespec(st.st_ctim) : none);
  out.FileTime(exists ? FileTimeFromTimespec(st.st_atim) : none);
  out.FileTime(exists ? FileTimeFromTimespec(st.st_mtim) : none);
  out.Dword(exists ? static_cast<DWORD>(st.st_size) : 0);
  out.Dword(0);  // icon index
  out.Dword(1);  // show normal
  out.Word(0);
  out.Word(0);
  out.Dword(0);
  out.Dword(0);
  AppendLinkInfo(out, target);
  out.CountedString(directory);
  out.CountedString(arguments);
  out.Dword(0);  // terminal block
  return out.Bytes;
}

const std::string DesktopExtension = ".desktop";

bool IsDesktopEntryName(const std::string& name) {
  return name.size() > DesktopExtension.size() && name.ends_with(DesktopExtension);
}

class TShellLink final : public IShellLinkW, public IPersistFile {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IShellLinkW) {
      *object = static_cast<IShellLinkW*>(this);
    } else if (iid == IID_IPersistFile) {
      *object = static_cast<IPersistFile*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++FRefCount; }
  ULONG Release() override {
    const ULONG count = --FRefCount;
    if (count == 0) delete this;
    return count;
  }
  HRESULT SetPath(LPCWSTR file) override { return Store(file, FTarget, true); }
  HRESULT SetArguments(LPCWSTR arguments) override {
    return arguments ? Store(HostFormPaths(arguments).c_str(), FArguments, false) : E_INVALIDARG;
  }
  HRESULT SetWorkingDirectory(LPCWSTR directory) override { return Store(directory, FDirectory, true); }
  HRESULT Save(LPCWSTR fileName, BOOL) override;

 private:
  std::vector<BYTE> Contents(const std::string& hostName) const;

  // Texts are kept as the shell stores them: paths in host form; a counted
  // string holds at most 65535 characters.
  static HRESULT Store(LPCWSTR text, WideString& field, bool isPath) {
    if (!text) return E_INVALIDARG;
    WideString value = text;
    if (value.size() > 0xFFFF) return E_INVALIDARG;
    const auto host = isPath ? ToHostPath(value) : std::optional<std::string>();
    if (isPath && !host) return E_INVALIDARG;
    field = isPath ? Utf8ToUtf16Lossy(*host) : value;
    return S_OK;
  }

  std::atomic<ULONG> FRefCount{1};
  WideString FTarget;
  WideString FArguments;
  WideString FDirectory;
};

std::vector<BYTE> TShellLink::Contents(const std::string& hostName) const {
  if (!IsDesktopEntryName(hostName)) return LinkFile(FTarget, FArguments, FDirectory);
  std::string name = hostName.substr(hostName.find_last_of('/') + 1);
  name.resize(name.size() - DesktopExtension.size());
  std::vector<std::string> arguments;
  for (const WideString& argument : SplitCommandLine(FArguments)) arguments.push_back(Utf16ToUtf8Lossy(argument));
  const std::string entry =
      DesktopEntry(name, Utf16ToUtf8Lossy(FTarget), arguments, Utf16ToUtf8Lossy(FDirectory));
  return std::vector<BYTE>(entry.begin(), entry.end());
}

// A launcher is made executable, as desktops run only such files.
HRESULT TShellLink::Save(LPCWSTR fileName, BOOL) {
  const auto host = fileName ? ToHostPath(fileName) : std::nullopt;
  if (!host || host->empty()) return E_INVALIDARG;
  const std::vector<BYTE> bytes = Contents(*host);
  const int fd = open(host->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                      IsDesktopEntryName(*host) ? 0777 : 0666);
  if (fd < 0) return E_FAIL;
  const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  return close(fd) == 0 && written ? S_OK : E_FAIL;
}

}  // namespace

HRESULT CoCreateInstance(REFCLSID classId, IUnknown*, DWORD, REFIID iid, void** object) {
  *object = nullptr;
  if (!(classId == CLSID_ShellLink)) return REGDB_E_CLASSNOTREG;
  auto* link = new TShellLink;
  const HRESULT result = link->QueryInterface(iid, object);
  link->Release();
  return result;
}
