#pragma once
// Suggestions for a mistyped command or member name.
#include <string>
#include <vector>

namespace quillon::cli {

// The candidate closest to `word` (letters compared without case), when it
// is close enough to be what was meant; empty otherwise.
std::string nearestWord(const std::string& word, const std::vector<std::string>& candidates);

// " (did you mean 'X'?)" for the nearest candidate, or the empty text.
std::string didYouMean(const std::string& word, const std::vector<std::string>& candidates);

}  // namespace quillon::cli
