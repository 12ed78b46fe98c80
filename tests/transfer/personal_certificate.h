// Puts the sample platform's client certificate (PKCS #12, no password)
// into the current user's personal store while the object lives. posix: the
// machine root's personal/ folder. win32: the "MY" store, removed again at
// the end.
#pragma once

#include <string>

class PersonalCertificate {
 public:
  explicit PersonalCertificate(const std::string& pkcs12Path);
  ~PersonalCertificate();
  PersonalCertificate(const PersonalCertificate&) = delete;
  PersonalCertificate& operator=(const PersonalCertificate&) = delete;

  bool Installed() const { return installed_; }

 private:
  bool installed_ = false;
  std::string thumbprint_;
};
