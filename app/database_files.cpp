#include "app/database_files.h"

#include "app/constants.h"
#include "store/journal.h"
#include "sys/paths.h"

namespace pel {

bool IsDatabaseFileName(std::string_view name) {
  Text base = AnsiLowerCase(ChangeFileExt(ProductExe, ""));
  Text pgp = base + Text(PgpExt);
  // The journal goes with the database: without it, a store left half
  // written by a kill could never be rolled back.
  // (the store's journal name, spelled from its constants: the vocabulary
  // links below the store).
  Text journal = base + Text(StoreExt) + Text(kJournalSuffix);
  Text lower = AnsiLowerCase(ExtractFileName(name));
  return lower == base + Text(StoreExt) || lower == pgp || lower == pgp + Text(BakExt) ||
         lower == journal || lower == journal + Text(kSetAsideSuffix);
}

}  // namespace pel
