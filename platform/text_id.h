#pragma once

namespace savrin {

// A text the program shows, by its number in the string table of
// res/Savrin.rc (the IDS_ names of res/resource.h). The core only names
// what it tells; the window loads the words, so every text a user reads
// has its one home in the resources.
using TextId = unsigned;

}  // namespace savrin
