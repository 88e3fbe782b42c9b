#pragma once
// The default order of a list of strings: a case-insensitive comparison in the manner of
// the user's locale (CompareString with NORM_IGNORECASE, word sort), worked out portably:
// hyphens and apostrophes weigh nothing at first, other punctuation and symbols come
// before digits, digits before letters, accented Latin letters sort with their base
// letter; accents, then case, then the code points only break ties.
#include <string>
#include <vector>

namespace kestrova {

// < 0, 0 or > 0.
int CompareTextLikeLocale(const std::string& a, const std::string& b);
// Ordered as above; entries that compare equal keep their order.
void SortLikeStringList(std::vector<std::string>& lines);

}  // namespace kestrova
