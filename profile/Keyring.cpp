#include "profile/Keyring.h"

#include <libsecret/secret.h>

#include <cstring>

#include "platform/HostPath.h"

namespace {

const SecretSchema* PasswordSchema() {
  static const SecretSchema schema = {"org.orvo.ConfigBackupTool.Backup",
                                      SECRET_SCHEMA_NONE,
                                      {{"tool-folder", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}}};
  return &schema;
}

WideString Failure(GError* error, const char16_t* fallback) {
  const WideString text = error ? u"The keyring did not answer: " + Utf8ToUtf16Lossy(error->message) : WideString(fallback);
  if (error) g_error_free(error);
  return text;
}

}  // namespace

bool RememberPassword(const WideString& toolDirectory, const WideString& password, WideString& problem) {
  const std::string folder = ToHostPath(toolDirectory).value_or("");
  std::string secret = Utf16ToUtf8(password).value_or("");
  GError* error = nullptr;
  const bool stored = secret_password_store_sync(PasswordSchema(), SECRET_COLLECTION_DEFAULT,
                                                 ("Orvo automatic backups of " + folder).c_str(), secret.c_str(),
                                                 nullptr, &error, "tool-folder", folder.c_str(), nullptr);
  std::memset(secret.data(), 0, secret.size());
  if (!stored) problem = Failure(error, u"The keyring did not keep the password.");
  return stored;
}

TKeyringAnswer RememberedPassword(const WideString& toolDirectory) {
  const std::string folder = ToHostPath(toolDirectory).value_or("");
  GError* error = nullptr;
  gchar* secret =
      secret_password_lookup_sync(PasswordSchema(), nullptr, &error, "tool-folder", folder.c_str(), nullptr);
  if (!secret) return {std::nullopt, Failure(error, u"The keyring holds no password for the automatic backups of this folder.")};
  TKeyringAnswer answer{Utf8ToUtf16Lossy(secret), u""};
  secret_password_free(secret);
  return answer;
}
