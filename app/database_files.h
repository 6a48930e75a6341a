// The files of the user's database in the product folder, which neither an installation nor a removal takes.
#pragma once

#include <string_view>

namespace pel {

// pl.dbc, its journal and the journal set aside, pl.pgp and pl.pgp.bak, in
// any case. A name only: the folder part, if any, is not looked at.
bool IsDatabaseFileName(std::string_view name);

}  // namespace pel
