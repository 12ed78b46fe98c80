#include "platform/posix/authenticode_name.h"

#include <openssl/x509v3.h>

#include <memory>

namespace platform::posix::authenticode {
namespace {

struct GeneralNamesRelease {
  void operator()(GENERAL_NAMES* names) const { GENERAL_NAMES_free(names); }
};
using GeneralNamesPtr = std::unique_ptr<GENERAL_NAMES, GeneralNamesRelease>;

constexpr int kPreferredAttributes[] = {NID_commonName, NID_organizationalUnitName,
                                        NID_organizationName, NID_pkcs9_emailAddress};

bool ToUtf8(const ASN1_STRING* value, std::string& text) {
  if (!value) return false;
  unsigned char* utf8 = nullptr;
  const int length = ASN1_STRING_to_UTF8(&utf8, value);
  if (length < 0) return false;
  text.assign(reinterpret_cast<const char*>(utf8), static_cast<size_t>(length));
  OPENSSL_free(utf8);
  return true;
}

bool FindAttribute(const X509_NAME* name, int nid, std::string& text) {
  const int index = X509_NAME_get_index_by_NID(name, nid, -1);
  if (index < 0) return false;
  return ToUtf8(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(name, index)), text);
}

bool FindPreferredAttribute(const X509_NAME* name, std::string& text) {
  for (int nid : kPreferredAttributes) {
    if (FindAttribute(name, nid, text)) return true;
  }
  return false;
}

}  // namespace

std::string SimpleDisplayName(X509* certificate) {
  std::string text;
  const X509_NAME* subject = X509_get_subject_name(certificate);
  const bool emptySubject = !subject || X509_NAME_entry_count(subject) == 0;
  if (!emptySubject && FindPreferredAttribute(subject, text)) return text;

  GeneralNamesPtr alternatives(static_cast<GENERAL_NAMES*>(
      X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr)));
  if (alternatives) {
    const int count = sk_GENERAL_NAME_num(alternatives.get());
    if (emptySubject) {
      for (int i = 0; i < count; ++i) {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(alternatives.get(), i);
        if (entry->type == GEN_DIRNAME && FindPreferredAttribute(entry->d.directoryName, text))
          return text;
      }
    }
    for (int i = 0; i < count; ++i) {
      const GENERAL_NAME* entry = sk_GENERAL_NAME_value(alternatives.get(), i);
      if (entry->type == GEN_EMAIL && ToUtf8(entry->d.rfc822Name, text)) return text;
    }
  }
  if (!emptySubject && ToUtf8(X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, 0)), text))
    return text;
  return {};
}

}  // namespace platform::posix::authenticode
