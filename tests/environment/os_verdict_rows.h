// The OS verdict table as test data: the facts of a machine, the verdict
// and the lines the check logs for it.
#pragma once

#include <string>
#include <vector>

struct OsVerdictRow {
  unsigned major, minor, product, servicePack;
  bool verdict;
  std::vector<std::string> lines;
};

inline const std::vector<OsVerdictRow>& OsVerdictRows() {
  static const std::vector<OsVerdictRow> rows = {
      {4, 0, 1, 6, false, {"OS version is less than XP"}},
      {5, 1, 1, 3, true, {"OS version is Windows XP", "Service pack level is SP3+"}},
      {5, 1, 3, 2, false, {"OS version is Windows XP", "Service pack level is not supported"}},
      {5, 2, 1, 2, false, {}},
      {5, 2, 3, 2, false, {}},
      {6, 1, 1, 1, true, {"OS version is Windows 7", "Service pack level is SP1+"}},
      {6, 1, 1, 0, false, {}},
      {6, 1, 3, 1, false, {"OS version is Windows 2008 family which is not supported."}},
      {6, 0, 3, 2, false, {"OS version is Windows 2008 family which is not supported."}},
      {6, 0, 1, 2, false, {}},
      {6, 2, 1, 0, false, {}},
      {6, 3, 1, 0, false, {}},
      {10, 0, 1, 0, true, {"OS version is Windows 10 (or above) which is supported."}},
      {10, 0, 3, 0, false, {}},
      {11, 0, 1, 0, false, {}},
  };
  return rows;
}

// The row of these facts, or null when the table has none.
inline const OsVerdictRow* FindOsVerdictRow(unsigned major, unsigned minor, unsigned product,
                                            unsigned servicePack) {
  for (const OsVerdictRow& row : OsVerdictRows()) {
    if (row.major == major && row.minor == minor && row.product == product &&
        row.servicePack == servicePack)
      return &row;
  }
  return nullptr;
}
