#include "check/preview.h"

#include "check/season_names.h"
#include "season/season_codes.h"

void PrintSeasonPreview(const std::vector<CheckedEntry>& entries, std::ostream& out) {
  static const char* const kMonths[12] = {"January",   "February", "March",    "April",
                                          "May",       "June",     "July",     "August",
                                          "September", "October",  "November", "December"};
  for (int month = 1; month <= 12; ++month) {
    SeasonCode season = MonthToSeason(month);
    out << "\nMonth " << month << " (" << kMonths[month - 1] << "): " << SeasonName(season) << "\n";
    size_t standing = 0;
    for (const CheckedEntry& entry : entries) {
      for (size_t v = 0; v < entry.types.size(); ++v) {
        if (ParseSeasonCode(entry.types[v]) != season) continue;
        ++standing;
        out << "  " << Printable(entry.titles[v]) << " at " << FormatNumber(entry.latitude) << ", "
            << FormatNumber(entry.longitude) << ", alt " << FormatNumber(entry.altitude)
            << (v < entry.notInstalled.size() && entry.notInstalled[v] ? " (not installed)" : "")
            << "\n";
      }
    }
    if (standing == 0) out << "  (nothing)\n";
  }
  out << "\n";
}
