#include "nearest.h"

#include <algorithm>
#include <cctype>

namespace quillon::cli {
namespace {

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Edits (insert, delete, replace, swap two neighbours) from one word to the other.
std::size_t distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string nearestWord(const std::string& word, const std::vector<std::string>& candidates) {
  const std::string w = lower(word);
  std::string best;
  std::size_t bestDistance = std::max<std::size_t>(2, w.size() / 3) + 1;
  for (const auto& c : candidates) {
    const std::string l = lower(c);
    // A cut-short name counts as close: GetMaxN for GetMaxNo.
    const std::size_t d = w.size() >= 3 && l.rfind(w, 0) == 0 ? 1 : distance(w, l);
    if (d < bestDistance) {
      best = c;
      bestDistance = d;
    }
  }
  return best;
}

std::string didYouMean(const std::string& word, const std::vector<std::string>& candidates) {
  const auto best = nearestWord(word, candidates);
  return best.empty() ? std::string() : " (did you mean '" + best + "'?)";
}

}  // namespace quillon::cli
